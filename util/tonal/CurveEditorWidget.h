#pragma once

#include "util/UtilExport.h"

#include <QString>
#include <QWidget>

#include <memory>

namespace util {

class CurveEditor;
class TonalCurve;

/// The suite's tonal-curve editor as a widget: a plot with one curve per band (drawn from
/// CurveEditor::getCurveLookupTable, the selected band's nodes as symbols), a band selector
/// (All, Red, Green, Blue, Infrared), an interpolation selector, a gamma spin box (for a
/// three-node gamma curve) and an NIR scaling spin box.
///
/// The controls sit in one row, or in two when the widget is narrow.
///
/// Mouse: a press on the plot picks the node under the pointer (within pickTolerance pixels)
/// or inserts one on the curve; dragging moves it within the editing rules; on release a
/// neighbour within the tolerance merges into it. Keyboard (on the plot): Page Up / Page Down
/// select the next / previous node, the arrow keys nudge the selected node by 1/256 of the
/// level range (1 level with Shift), Escape lets it go.
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

Q_SIGNALS:
    /// A user action (press, drag, key, selector, spin box) changed the curves.
    void edited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
