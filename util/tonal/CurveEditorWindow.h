#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QDomDocument;

namespace util {

class CurveEditorWidget;

/// A main window around CurveEditorWidget: opens and saves curve files, imports break-point
/// files, and undoes and redoes edits (Ctrl+Z, Ctrl+Shift+Z).
///
/// Curve files are XML. Saving writes every band's own curve as a "Corrector" element inside a
/// "Band" element named after the band, "All" first:
///
///   <TonalCurves maxDn="65536">
///     <Band name="All"><Corrector position="0" id="TonalCurve" .../></Band>
///     <Band name="Red"><Corrector position="1" .../></Band>
///   </TonalCurves>
///
/// so that a reader of one curve (readTonalCurveFile, quorutil lut) takes the "All" curve.
/// Opening reads that form, or any file holding a "Corrector" element (the first becomes "All"),
/// or a break-point file (as importBreakPoints).
class UTIL_EXPORT CurveEditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit CurveEditorWindow(QWidget *parent = nullptr);
    ~CurveEditorWindow() override;

    CurveEditorWidget *editorWidget() const;

    /// Replaces the curves by the file's; false with one line naming the file in *errorString
    /// when it cannot be read (the curves then stay as they were). Clears the undo history.
    bool openFile(const QString &fileName, QString *errorString = nullptr);
    /// Replaces the curves by a break-point file's bands: RED, GRN (or GREEN), BLU (or BLUE) and
    /// NIR (or IR), in any case, become Red, Green, Blue and Infrared; other names are kept.
    /// Band curves that are identical fold into "All". Undoable.
    bool importBreakPoints(const QString &fileName, QString *errorString = nullptr);
    /// Writes the curves (replacing the file safely); false with one line in *errorString.
    bool saveFile(const QString &fileName, QString *errorString = nullptr);
    /// The same three, with the failure as a value in *failure (when given): a system error,
    /// the parser's line and column, or what the curves' reader refused. The forms above give
    /// its text().
    bool openFile(const QString &fileName, Failure *failure);
    bool importBreakPoints(const QString &fileName, Failure *failure);
    bool saveFile(const QString &fileName, Failure *failure);
    /// The file last opened or saved (empty for new curves).
    QString fileName() const;

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();

private:
    bool importCurves(const QDomDocument &document, const QString &fileName, Failure *failure);

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
