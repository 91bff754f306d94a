#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class QDomDocument;

namespace util {

class CurveEditorWidget;
class CurvePreviewWidget;
struct Failure;
struct ImagePreviewData;

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
/// or a break-point file (as importBreakPoints). The level range of what was opened is kept: a
/// break-point file's max_value (4095 for 12-bit data) becomes the editor's maxDn, and is saved.
///
/// Closing, quitting, opening and importing over unsaved changes ask first: save, discard or
/// cancel. The title names the file and marks unsaved changes.
///
/// An image (File > Open image, openImage, setImage) shows its histograms behind the curves and
/// a preview of it with the curves applied beside them. The window reads no raster itself:
/// openImage goes through the loader given to setImageLoader.
class UTIL_EXPORT CurveEditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// The answer to "save the changes first?".
    enum UnsavedChoice { Save, Discard, Cancel };
    /// Asks the question (the action about to happen: "close", "open", "import") and returns
    /// the answer; the default shows a message box.
    using SavePrompt = std::function<UnsavedChoice(const QString &action)>;
    /// Reads a raster into a preview; false with a Failure when it cannot.
    using ImageLoader =
        std::function<bool(const QString &fileName, ImagePreviewData &image, Failure *failure)>;

    explicit CurveEditorWindow(QWidget *parent = nullptr);
    ~CurveEditorWindow() override;

    CurveEditorWidget *editorWidget() const;
    CurvePreviewWidget *previewWidget() const;

    /// Replaces the unsaved-changes question (tests answer it without a modal dialog); an
    /// empty function restores the message box.
    void setSavePrompt(SavePrompt prompt);
    /// When there are unsaved changes, asks whether to save them first and does what the answer
    /// says. True when the action may go on (saved, discarded, or nothing to save); false when
    /// the user cancelled or the save failed.
    bool maybeSave(const QString &action);
    /// True when the curves differ from those last opened or saved.
    bool hasUnsavedChanges() const;

    void setImageLoader(ImageLoader loader);
    /// Reads the image through the loader and shows it; false with a Failure (and the image
    /// shown before kept) when there is no loader or it fails.
    bool openImage(const QString &fileName, Failure *failure = nullptr);
    /// Shows an image read elsewhere; false with a reason when isValidPreviewData refuses it.
    bool setImage(const ImagePreviewData &image, QString *reason = nullptr);
    void clearImage();

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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool importCurves(const QDomDocument &document, const QString &fileName, Failure *failure);

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
