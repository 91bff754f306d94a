#pragma once

/// \file
/// The curve editor's main window: curve files, break-point imports, undo and an image preview.
/// \ingroup tonal

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
/// \code{.xml}
/// <TonalCurves maxDn="65536">
///   <Band name="All"><Corrector position="0" id="TonalCurve" .../></Band>
///   <Band name="Red"><Corrector position="1" .../></Band>
/// </TonalCurves>
/// \endcode
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
/// \ingroup tonal
class UTIL_EXPORT CurveEditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// The answer to "save the changes first?".
    enum UnsavedChoice {
        Save, ///< Save the changes, then go on.
        Discard, ///< Go on without saving.
        Cancel ///< Do not go on.
    };
    /// Asks the question (the action about to happen: "close", "open", "import") and returns
    /// the answer; the default shows a message box.
    using SavePrompt = std::function<UnsavedChoice(const QString &action)>;
    /// Reads a raster into a preview; false with a Failure when it cannot.
    using ImageLoader =
        std::function<bool(const QString &fileName, ImagePreviewData &image, Failure *failure)>;

    /// A window of the default curves, without a file or an image.
    /// \param parent the parent widget, or null.
    explicit CurveEditorWindow(QWidget *parent = nullptr);
    /// Destroys the window, its undo history first.
    ~CurveEditorWindow() override;

    /// The curve editor the window shows.
    /// \return the widget, owned by the window.
    CurveEditorWidget *editorWidget() const;
    /// The preview of the image with the curves applied, shown only while there is an image.
    /// \return the widget, owned by the window.
    CurvePreviewWidget *previewWidget() const;

    /// Replaces the unsaved-changes question (tests answer it without a modal dialog); an
    /// empty function restores the message box.
    /// \param prompt the function that answers the question.
    void setSavePrompt(SavePrompt prompt);
    /// When there are unsaved changes, asks whether to save them first and does what the answer
    /// says. True when the action may go on (saved, discarded, or nothing to save); false when
    /// the user cancelled or the save failed.
    ///
    /// Saving new curves asks for a file name first; a failed save shows why in a message box.
    /// \param action the action about to happen, as the question names it ("close", "open",
    ///        "import").
    /// \return whether the action may go on.
    bool maybeSave(const QString &action);
    /// True when the curves differ from those last opened or saved.
    /// \return whether there are unsaved changes.
    bool hasUnsavedChanges() const;

    /// Sets the function openImage() reads rasters with; there is none by default.
    /// \param loader the raster reader.
    void setImageLoader(ImageLoader loader);
    /// Reads the image through the loader and shows it; false with a Failure (and the image
    /// shown before kept) when there is no loader or it fails.
    /// \param fileName the raster given to the loader.
    /// \param[out] failure receives the failure when given; may be null.
    /// \return true when the image is shown; false on failure.
    bool openImage(const QString &fileName, Failure *failure = nullptr);
    /// Shows an image read elsewhere; false with a reason when isValidPreviewData refuses it.
    ///
    /// While the window holds new curves (never opened, imported, edited or saved), an image
    /// whose maxValue lies from 64 to 65534 and differs from the editor's maxDn replaces them by
    /// the default ones over 0 to maxValue. Curves from a file, a break-point file included, keep
    /// their range.
    /// \param image the image shown.
    /// \param[out] reason receives why the image is refused, when given; may be null.
    /// \return true when the image is shown; false when it is refused.
    bool setImage(const ImagePreviewData &image, QString *reason = nullptr);
    /// Removes the image: the preview hides and the histograms go.
    void clearImage();

    /// Replaces the curves by the file's; false with one line naming the file in *errorString
    /// when it cannot be read (the curves then stay as they were). Clears the undo history.
    /// \param fileName the curve or break-point file.
    /// \param[out] errorString receives the failure's text when given; may be null.
    /// \return true when the curves were read; false on failure.
    bool openFile(const QString &fileName, QString *errorString = nullptr);
    /// Replaces the curves by a break-point file's bands: RED, GRN (or GREEN), BLU (or BLUE) and
    /// NIR (or IR), in any case, become Red, Green, Blue and Infrared; other names are kept.
    /// Band curves that are identical fold into "All". Undoable.
    /// \param fileName the break-point file.
    /// \param[out] errorString receives the failure's text when given; may be null.
    /// \return true when the bands were imported; false on failure, the curves left as they
    ///         were.
    bool importBreakPoints(const QString &fileName, QString *errorString = nullptr);
    /// Writes the curves (replacing the file safely); false with one line in *errorString.
    /// \param fileName the file written.
    /// \param[out] errorString receives the failure's text when given; may be null.
    /// \return true when the file was written; false on failure.
    bool saveFile(const QString &fileName, QString *errorString = nullptr);
    /// As openFile(const QString &, QString *), with the failure as a value in *failure (when
    /// given): a system error, the parser's line and column, or what the curves' reader
    /// refused. The form with a QString gives its text().
    /// \param fileName the curve or break-point file.
    /// \param[out] failure receives the failure when given; may be null.
    /// \return true when the curves were read; false on failure.
    bool openFile(const QString &fileName, Failure *failure);
    /// As importBreakPoints(const QString &, QString *), with the failure as a value in
    /// *failure (when given): a system error, the parser's line and column, or what the
    /// break-point reader refused.
    /// \param fileName the break-point file.
    /// \param[out] failure receives the failure when given; may be null.
    /// \return true when the bands were imported; false on failure.
    bool importBreakPoints(const QString &fileName, Failure *failure);
    /// As saveFile(const QString &, QString *), with the failure as a value in *failure (when
    /// given): the system error that kept the file from being written.
    /// \param fileName the file written.
    /// \param[out] failure receives the failure when given; may be null.
    /// \return true when the file was written; false on failure.
    bool saveFile(const QString &fileName, Failure *failure);
    /// The file last opened or saved (empty for new curves).
    /// \return the file's name as it was given.
    QString fileName() const;

    /// True when there is an edit to undo.
    /// \return whether undo() would undo an edit.
    bool canUndo() const;
    /// True when there is an undone edit to redo.
    /// \return whether redo() would redo an edit.
    bool canRedo() const;
    /// Undoes the last edit; nothing happens when there is none.
    void undo();
    /// Redoes the last undone edit; nothing happens when there is none.
    void redo();

protected:
    /// Asks about unsaved changes first (maybeSave with "close"); the window stays open when
    /// the answer is cancel or the save fails.
    /// \param event the close event, accepted or ignored.
    void closeEvent(QCloseEvent *event) override;

private:
    bool importCurves(const QDomDocument &document, const QString &fileName, Failure *failure);

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
