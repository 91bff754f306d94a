#pragma once

#include "util/UtilExport.h"

#include <QString>
#include <QWidget>

#include <memory>

namespace util {

class CurveEditor;
class TonalCurve;
struct ImagePreviewData;

/// The suite's tonal-curve editor as a widget: a plot with one curve per band (drawn from
/// CurveEditor::getCurveLookupTable, the selected band's nodes as symbols), a band selector
/// (All, Red, Green, Blue, Infrared), an interpolation selector, a gamma spin box (for a
/// three-node gamma curve), an NIR scaling spin box, and the selected node's input and output
/// levels, which can be typed. The plot's axes run over the model's level range (maxDn).
///
/// Given an image (setImage), the histograms of its bands are drawn behind the curves, linear or
/// logarithmic; the bands shown are those of the band being edited (all bands for "All").
///
/// The controls sit in one row, or in two when the widget is narrow. A status line below the
/// plot names a curve that falls (and so inverts contrast).
///
/// The mouse and the keys are listed by helpText(). Dragging a node moves it by the pointer's
/// movement, so that a node dragged straight up keeps its input level.
///
/// Edits of a band other than "All" fold band curves that became identical back into "All".
/// Every user action that changed a curve emits edited() once.
class UTIL_EXPORT CurveEditorWidget : public QWidget
{
    Q_OBJECT

public:
    /// Distance in pixels (along the input axis) within which a press hits a node or the curve.
    static const int pickTolerance;

    explicit CurveEditorWidget(QWidget *parent = nullptr);
    ~CurveEditorWidget() override;

    /// The model (a copy shares its plot curves with this widget's).
    const CurveEditor &editor() const;
    /// Replaces the model (loading a file, undo) and redraws; the focus is let go. Emits nothing.
    void setEditor(const CurveEditor &editor);

    /// The band being edited: "All", "Red", "Green", "Blue" or "Infrared".
    QString band() const;
    void setBand(const QString &band);

    /// The band's curve (resolved: a band without a curve of its own gives "All"'s) as a
    /// normalised TonalCurve, pinned at input 0 and 1 when its end nodes lie inside: a black
    /// point at output 0 gets a node (0, 0) before it, a white point at full output a node
    /// (1, 1) after it. Setting such a curve back gives the same editor curve.
    TonalCurve curve(const QString &band) const;
    /// Sets the band's curve from a normalised TonalCurve and redraws; a band other than "All"
    /// that becomes identical to another folds into "All". Emits nothing.
    void setCurve(const QString &band, const TonalCurve &curve);

    /// Draws the image's histograms behind the curves (completed as completePreviewData does);
    /// false, with a reason, when isValidPreviewData refuses it.
    bool setImage(const ImagePreviewData &image, QString *reason = nullptr);
    void clearImage();
    /// Histogram heights on a logarithmic scale (false: linear, the default).
    bool isHistogramLogarithmic() const;
    void setHistogramLogarithmic(bool logarithmic);

    /// What the last edit did ("Move node", "Delete node", "Nudge node"...), for an undo history.
    QString lastEditText() const;
    /// For edits that belong together in an undo history: consecutive edits with the same
    /// non-empty group (arrow-key nudges of one node) are one step. Empty for other edits.
    QString lastEditGroup() const;

    /// The status line: which curves fall, and so invert contrast, and where (empty when none).
    QString statusText() const;

    /// Every mouse and key binding of the plot, one a line.
    static QString helpText();

Q_SIGNALS:
    /// A user action (press, drag, key, selector, spin box) changed the curves.
    void edited();
    /// The curves drawn changed, for whatever reason: an edit, each step of a drag, setEditor,
    /// setCurve. What follows the curves live (an image preview) listens to this.
    void curvesChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
