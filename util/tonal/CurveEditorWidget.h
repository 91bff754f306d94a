#pragma once

/// \file
/// The tonal-curve editor as a widget: the plot, its controls and the image's histograms.
/// \ingroup tonal

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
/// \ingroup tonal
class UTIL_EXPORT CurveEditorWidget : public QWidget
{
    Q_OBJECT

public:
    /// Distance in pixels (along the input axis) within which a press hits a node or the curve.
    static const int pickTolerance;

    /// An editor of the default curves, with "All" selected and no image.
    /// \param parent the parent widget, or null.
    explicit CurveEditorWidget(QWidget *parent = nullptr);
    /// Destroys the widget and its model.
    ~CurveEditorWidget() override;

    /// The model (a copy shares its plot curves with this widget's).
    /// \return the model; the reference stays valid as long as the widget does.
    const CurveEditor &editor() const;
    /// Replaces the model (loading a file, undo) and redraws; the focus is let go.
    ///
    /// The plot's axes take the new model's maxDn. Emits no edited(); curvesChanged() when the
    /// curves drawn differ from those before.
    /// \param editor the new model, copied (the copy shares its plot curves).
    void setEditor(const CurveEditor &editor);

    /// The band being edited: "All", "Red", "Green", "Blue" or "Infrared".
    /// \return the band's name.
    QString band() const;
    /// Selects the band to edit and redraws; the focus is let go.
    /// \param band "All", "Red", "Green", "Blue" or "Infrared"; any other name is ignored.
    void setBand(const QString &band);

    /// The band's curve (resolved: a band without a curve of its own gives "All"'s) as a
    /// normalised TonalCurve, pinned at input 0 and 1 when its end nodes lie inside: a black
    /// point at output 0 gets a node (0, 0) before it, a white point at full output a node
    /// (1, 1) after it. Setting such a curve back gives the same editor curve.
    /// \param band the band's name.
    /// \return the curve, levels in [0, 1].
    TonalCurve curve(const QString &band) const;
    /// Sets the band's curve from a normalised TonalCurve and redraws; a band other than "All"
    /// that becomes identical to another folds into "All". Emits no edited(); curvesChanged()
    /// when the curves drawn change.
    /// \param band the band's name.
    /// \param curve the curve, levels in [0, 1].
    void setCurve(const QString &band, const TonalCurve &curve);

    /// Draws the image's histograms behind the curves (completed as completePreviewData does);
    /// false, with a reason, when isValidPreviewData refuses it.
    /// \param image the image whose histograms are drawn.
    /// \param[out] reason receives why the image is refused, when given; may be null.
    /// \return true when the histograms are drawn; false when the image is refused, the
    ///         histograms drawn before then staying.
    bool setImage(const ImagePreviewData &image, QString *reason = nullptr);
    /// Stops drawing an image's histograms.
    void clearImage();
    /// Histogram heights on a logarithmic scale (false: linear, the default).
    /// \return true when the scale is logarithmic.
    bool isHistogramLogarithmic() const;
    /// Draws the histogram heights on a logarithmic or a linear scale; the check box follows.
    /// \param logarithmic true for logarithmic, false for linear.
    void setHistogramLogarithmic(bool logarithmic);

    /// What the last edit did ("Move node", "Delete node", "Nudge node"...), for an undo history.
    /// \return the text, translated.
    QString lastEditText() const;
    /// For edits that belong together in an undo history: consecutive edits with the same
    /// non-empty group (arrow-key nudges of one node) are one step. Empty for other edits.
    /// \return the last edit's group, or an empty string.
    QString lastEditGroup() const;

    /// The status line: which curves fall, and so invert contrast, and where (empty when none).
    /// \return the text shown below the plot.
    QString statusText() const;

    /// Every mouse and key binding of the plot, one a line.
    /// \return the text, translated; also the plot's tool tip.
    static QString helpText();

Q_SIGNALS:
    /// Emitted when a user action (press, drag, key, selector, spin box) changed the curves.
    void edited();
    /// Emitted when the curves drawn changed, for whatever reason: an edit, each step of a drag,
    /// setEditor, setCurve. What follows the curves live (an image preview) listens to this.
    void curvesChanged();

protected:
    /// Handles the mouse and key events of the plot's canvas (the bindings helpText() lists).
    /// \param watched the object the event is for.
    /// \param event the event.
    /// \return true when the event was handled here; otherwise QWidget::eventFilter's answer.
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Lays the controls out in one row, or in two when the widget is narrower than 1000
    /// pixels.
    /// \param event the resize event, passed on to QWidget.
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
