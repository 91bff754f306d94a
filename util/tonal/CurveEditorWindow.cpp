#include "util/tonal/CurveEditorWindow.h"

#include "util/files/AtomicWrite.h"
#include "util/files/Failure.h"
#include "util/files/ReadFile.h"
#include "util/tonal/BpfConverter.h"
#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurvePreviewWidget.h"
#include "util/tonal/ImagePreviewData.h"
#include "util/tonal/TonalBands_p.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalXml_p.h"
#include "util/xml/XmlFile.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QUndoCommand>
#include <QUndoStack>

#include <cerrno>
#include <cstring>
#include <exception>

namespace util {

namespace {

const QString rootTag = QStringLiteral("TonalCurves");
const QString bandTag = QStringLiteral("Band");
const QString correctorTag = QStringLiteral("Corrector");

// The text of failure, for the forms that report one line.
bool failText(const Failure &failure, QString *errorString)
{
    if (errorString)
        *errorString = failure.text();
    return false;
}

// The editor's band for a break-point file's band name; other names are kept.
QString editorBand(const QString &name)
{
    const QString band = detail::editorBandOf(name);
    return band.isEmpty() ? name : band;
}

// The level range of a break-point file: its largest max_value, so that 12-bit break points
// stay on 0..4095. The fallback when the file gives none the editor can use (fewer than 64
// levels, as a curve file's maxDn must have).
int breakPointRange(const QString &fileName, int fallback)
{
    QByteArray bytes;
    QDomDocument document;
    if (!readWholeFile(fileName, bytes) || !parseXmlBytes(bytes, document, fileName))
        return fallback;
    int range = 0;
    const QDomNodeList values = document.elementsByTagName(QStringLiteral("max_value"));
    for (int i = 0; i < values.size(); ++i) {
        bool ok = false;
        const int value = values.item(i).toElement().text().trimmed().toInt(&ok, 10);
        if (ok && value > range)
            range = value;
    }
    return range >= 64 ? range : fallback;
}

// One edit: the curves before and after it. The first redo comes with the push, when the widget
// already shows the result.
class EditCommand : public QUndoCommand
{
public:
    EditCommand(CurveEditorWidget *widget, const CurveEditor &before, const CurveEditor &after,
                const QString &text, const QString &group = QString())
        : QUndoCommand(text)
        , widget(widget)
        , before(before)
        , after(after)
        , group(group)
    {
    }

    // Edits of one group (the nudges of one node) merge into one step.
    int id() const override { return group.isEmpty() ? -1 : 1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const EditCommand *>(other);
        if (next->group != group)
            return false;
        after = next->after;
        return true;
    }

    void undo() override { widget->setEditor(before); }
    void redo() override
    {
        if (pushed)
            widget->setEditor(after);
        pushed = true;
    }

private:
    CurveEditorWidget *widget;
    CurveEditor before;
    CurveEditor after;
    QString group;
    bool pushed = false;
};

} // namespace

class CurveEditorWindow::Private
{
public:
    CurveEditorWidget *widget = nullptr;
    CurvePreviewWidget *preview = nullptr;
    QUndoStack *stack = nullptr;
    CurveEditor current; // what the widget showed after the last recorded edit
    QString fileName;
    bool fresh = true; // new curves, never opened, imported, edited or saved: an image may
                       // replace them by curves over its own range
    SavePrompt prompt;
    ImageLoader loader;
    std::function<void()> saveAs;

    void record(const QString &text, const QString &group = QString())
    {
        const CurveEditor after = widget->editor();
        stack->push(new EditCommand(widget, current, after, text, group));
        current = after;
        fresh = false;
    }

    void updateTitle(CurveEditorWindow *window)
    {
        const QString name =
            fileName.isEmpty() ? CurveEditorWindow::tr("Untitled") : QFileInfo(fileName).fileName();
        window->setWindowTitle(name + QStringLiteral("[*] - ")
                               + CurveEditorWindow::tr("Tonal curves"));
        window->setWindowModified(!stack->isClean());
    }
};

CurveEditorWindow::CurveEditorWindow(QWidget *parent)
    : QMainWindow(parent)
    , d(new Private)
{
    d->widget = new CurveEditorWidget(this);
    d->preview = new CurvePreviewWidget(this);
    d->preview->hide(); // until there is an image
    auto *splitter = new QSplitter(this);
    splitter->addWidget(d->widget);
    splitter->addWidget(d->preview);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);
    d->stack = new QUndoStack(this);
    d->current = d->widget->editor();
    connect(d->widget, &CurveEditorWidget::edited, this, [this] {
        const QString text = d->widget->lastEditText();
        d->record(text.isEmpty() ? tr("Edit curve") : text, d->widget->lastEditGroup());
    });
    connect(d->widget, &CurveEditorWidget::curvesChanged, this,
            [this] { d->preview->setCurves(d->widget->editor()); });
    // Undo and redo replace the widget's curves: what it shows is the state to compare with.
    connect(d->stack, &QUndoStack::indexChanged, this, [this] {
        d->current = d->widget->editor();
        setWindowModified(!d->stack->isClean());
    });

    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *open = file->addAction(tr("&Open..."), this, [this] {
        if (!maybeSave(tr("open")))
            return;
        const QString name = QFileDialog::getOpenFileName(
            this, tr("Open curves"), QFileInfo(d->fileName).path(),
            tr("Curve and break-point files (*.xml *.bpf);;All files (*)"));
        QString error;
        if (!name.isEmpty() && !openFile(name, &error))
            QMessageBox::warning(this, tr("Open curves"), error);
    });
    open->setShortcut(QKeySequence::Open);
    QAction *import = file->addAction(tr("&Import break points..."), this, [this] {
        if (!maybeSave(tr("import")))
            return;
        const QString name = QFileDialog::getOpenFileName(
            this, tr("Import break points"), QFileInfo(d->fileName).path(),
            tr("Break-point files (*.xml *.bpf);;All files (*)"));
        QString error;
        if (!name.isEmpty() && !importBreakPoints(name, &error))
            QMessageBox::warning(this, tr("Import break points"), error);
    });
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    d->saveAs = [this] {
        const QString name = QFileDialog::getSaveFileName(this, tr("Save curves"), d->fileName,
                                                          tr("Curve files (*.xml)"));
        QString error;
        if (!name.isEmpty() && !saveFile(name, &error))
            QMessageBox::warning(this, tr("Save curves"), error);
    };
    const auto saveAs = d->saveAs;
    QAction *save = file->addAction(tr("&Save"), this, [this, saveAs] {
        if (d->fileName.isEmpty())
            return saveAs();
        QString error;
        if (!saveFile(d->fileName, &error))
            QMessageBox::warning(this, tr("Save curves"), error);
    });
    save->setShortcut(QKeySequence::Save);
    file->addAction(tr("Save &as..."), this, saveAs)->setShortcut(QKeySequence::SaveAs);
    file->addSeparator();
    file->addAction(tr("Open i&mage..."), this, [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, tr("Open image"), QFileInfo(d->fileName).path(),
            tr("Images (*.png *.tif *.tiff *.img *.jpg);;All files (*)"));
        Failure failure;
        if (!name.isEmpty() && !openImage(name, &failure))
            QMessageBox::warning(this, tr("Open image"), failure.text());
    });
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close)->setShortcut(QKeySequence::Quit);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    QAction *undoAction = d->stack->createUndoAction(this, tr("&Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    QAction *redoAction = d->stack->createRedoAction(this, tr("&Redo"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(undoAction);
    edit->addAction(redoAction);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    auto *composites = new QActionGroup(this);
    QAction *trueColour = view->addAction(tr("&True colour preview"));
    QAction *infrared = view->addAction(tr("&Colour infrared preview"));
    for (QAction *action : {trueColour, infrared}) {
        action->setCheckable(true);
        composites->addAction(action);
    }
    trueColour->setChecked(true);
    connect(composites, &QActionGroup::triggered, this, [this, infrared](QAction *action) {
        d->preview->setComposite(action == infrared ? CurvePreviewWidget::ColourInfrared
                                                    : CurvePreviewWidget::TrueColour);
    });

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Mouse and keys"), this, [this] {
        QMessageBox::information(this, tr("Mouse and keys"), CurveEditorWidget::helpText());
    });

    connect(d->stack, &QUndoStack::cleanChanged, this, [this] { d->updateTitle(this); });
    d->updateTitle(this);
    resize(900, 640);
}

CurveEditorWindow::~CurveEditorWindow()
{
    // The commands hold curves whose plot curves the widget may still draw.
    d->stack->clear();
}

CurveEditorWidget *CurveEditorWindow::editorWidget() const
{
    return d->widget;
}

QString CurveEditorWindow::fileName() const
{
    return d->fileName;
}

bool CurveEditorWindow::openFile(const QString &fileName, QString *errorString)
{
    Failure failure;
    return openFile(fileName, &failure) || failText(failure, errorString);
}

bool CurveEditorWindow::importBreakPoints(const QString &fileName, QString *errorString)
{
    Failure failure;
    return importBreakPoints(fileName, &failure) || failText(failure, errorString);
}

bool CurveEditorWindow::saveFile(const QString &fileName, QString *errorString)
{
    Failure failure;
    return saveFile(fileName, &failure) || failText(failure, errorString);
}

bool CurveEditorWindow::openFile(const QString &fileName, Failure *failure)
{
    const auto refuse = [&](const QString &reason) {
        return util::fail(failure, Failure::other(fileName, reason));
    };
    // One bounded read; a break-point file is parsed from the same bytes.
    QByteArray bytes;
    QDomDocument document;
    if (!readWholeFile(fileName, bytes, failure)
        || !parseXmlBytes(bytes, document, fileName, failure))
        return false;

    CurveEditor editor;
    const QDomElement root = document.documentElement();
    try {
        if (root.tagName() == rootTag) {
            bool ok = false;
            const int maxDn = root.attribute(QStringLiteral("maxDn")).toInt(&ok);
            if (root.hasAttribute(QStringLiteral("maxDn")) && (!ok || maxDn < 64))
                return refuse(QStringLiteral("maxDn is not a level range: ")
                              + root.attribute(QStringLiteral("maxDn")));
            if (ok) {
                editor.setMaxDn(maxDn);
                editor.clearCurves();
            }
            bool all = false;
            for (QDomElement band = root.firstChildElement(bandTag); !band.isNull();
                 band = band.nextSiblingElement(bandTag)) {
                const QString name = band.attribute(QStringLiteral("name"));
                const QDomElement corrector = band.firstChildElement(correctorTag);
                if (name.isEmpty() || corrector.isNull())
                    return refuse(QStringLiteral("a Band element needs a name and a Corrector"));
                if (editor.getBandIds().contains(name) && (name != QLatin1String("All") || all))
                    return refuse(QStringLiteral("band ") + name
                                  + QStringLiteral(" is given twice"));
                all = all || name == QLatin1String("All");
                editor.specifyCurve(name, TonalCurve(corrector, false), false);
            }
        } else {
            const QDomElement corrector = detail::findCorrector(document);
            if (corrector.isNull()) {
                // A break-point file: its curves are imported, not the file to save into.
                if (!importCurves(document, fileName, failure))
                    return false;
                d->stack->clear();
                d->current = d->widget->editor();
                d->fileName.clear();
                d->fresh = false;
                setWindowFilePath(QString());
                d->updateTitle(this);
                return true;
            }
            editor.specifyCurve(QStringLiteral("All"), TonalCurve(corrector, false), false);
        }
    } catch (const std::exception &e) {
        return refuse(QString::fromStdString(e.what()));
    }

    d->widget->setEditor(editor);
    d->stack->clear();
    d->current = d->widget->editor();
    d->fileName = fileName;
    d->fresh = false;
    setWindowFilePath(fileName);
    d->updateTitle(this);
    return true;
}

bool CurveEditorWindow::importBreakPoints(const QString &fileName, Failure *failure)
{
    QByteArray bytes;
    QDomDocument document;
    return readWholeFile(fileName, bytes, failure)
        && parseXmlBytes(bytes, document, fileName, failure)
        && importCurves(document, fileName, failure);
}

bool CurveEditorWindow::importCurves(const QDomDocument &document, const QString &fileName,
                                     Failure *failure)
{
    QMap<QString, TonalCurve> curves;
    if (!detail::readBreakPoints(document, fileName, curves, failure))
        return false;
    if (curves.isEmpty())
        return util::fail(failure, Failure::other(fileName, QStringLiteral("holds no band")));
    CurveEditor editor;
    editor.setMaxDn(breakPointRange(fileName, d->widget->editor().getMaxDn()));
    editor.clearCurves();
    try {
        QString last;
        for (auto band = curves.cbegin(); band != curves.cend(); ++band) {
            last = editorBand(band.key());
            editor.specifyCurve(last, band.value(), false);
        }
        // Bands that share one curve make it the curve for all.
        editor.specifyCurve(last, *editor.getNodes(last), editor.getInterpolationMethod(last),
                            last != QLatin1String("All"));
    } catch (const std::exception &e) {
        return util::fail(failure, Failure::other(fileName, QString::fromStdString(e.what())));
    }
    d->widget->setEditor(editor);
    d->record(tr("Import break points"));
    return true;
}

bool CurveEditorWindow::saveFile(const QString &fileName, Failure *failure)
{
    const CurveEditor &editor = d->widget->editor();
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement root = document.createElement(rootTag);
    root.setAttribute(QStringLiteral("maxDn"), editor.getMaxDn());
    document.appendChild(root);

    QStringList bands {QStringLiteral("All")};
    for (const QString &id : editor.getBandIds()) {
        if (id != QLatin1String("All") && editor.hasSpecificCorrection(id))
            bands << id;
    }
    int position = 0;
    for (const QString &id : bands) {
        QDomElement band = document.createElement(bandTag);
        band.setAttribute(QStringLiteral("name"), id);
        d->widget->curve(id).appendTo(band, position++);
        root.appendChild(band);
    }
    const QByteArray bytes = document.toByteArray(2);
    if (!writeFileAtomically(fileName, bytes.constData(), std::size_t(bytes.size()), failure))
        return false;
    d->fileName = fileName;
    d->fresh = false;
    setWindowFilePath(fileName);
    d->stack->setClean();
    d->updateTitle(this);
    return true;
}

CurvePreviewWidget *CurveEditorWindow::previewWidget() const
{
    return d->preview;
}

void CurveEditorWindow::setSavePrompt(SavePrompt prompt)
{
    d->prompt = std::move(prompt);
}

bool CurveEditorWindow::hasUnsavedChanges() const
{
    return !d->stack->isClean();
}

bool CurveEditorWindow::maybeSave(const QString &action)
{
    if (!hasUnsavedChanges())
        return true;
    UnsavedChoice choice = Cancel;
    if (d->prompt) {
        choice = d->prompt(action);
    } else {
        const QString name =
            d->fileName.isEmpty() ? tr("the new curves") : QFileInfo(d->fileName).fileName();
        const auto button = QMessageBox::warning(
            this, tr("Unsaved changes"),
            tr("Save the changes to %1 before you %2?").arg(name, action),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        choice = button == QMessageBox::Save ? Save
            : button == QMessageBox::Discard ? Discard
                                             : Cancel;
    }
    if (choice == Discard)
        return true;
    if (choice == Cancel)
        return false;
    if (d->fileName.isEmpty()) {
        d->saveAs();
        return !hasUnsavedChanges();
    }
    QString error;
    if (saveFile(d->fileName, &error))
        return true;
    QMessageBox::warning(this, tr("Save curves"), error);
    return false;
}

void CurveEditorWindow::closeEvent(QCloseEvent *event)
{
    if (maybeSave(tr("close")))
        event->accept();
    else
        event->ignore();
}

void CurveEditorWindow::setImageLoader(ImageLoader loader)
{
    d->loader = std::move(loader);
}

bool CurveEditorWindow::openImage(const QString &fileName, Failure *failure)
{
    if (!d->loader)
        return fail(failure, Failure::other(fileName, QStringLiteral("no image reader")));
    ImagePreviewData image;
    Failure why;
    if (!d->loader(fileName, image, &why))
        return fail(failure,
                    why.reason.isEmpty()
                        ? Failure::other(fileName, QStringLiteral("cannot read the image"))
                        : why);
    QString reason;
    if (!setImage(image, &reason))
        return fail(failure, Failure::other(fileName, reason));
    return true;
}

bool CurveEditorWindow::setImage(const ImagePreviewData &image, QString *reason)
{
    if (!isValidPreviewData(image, reason))
        return false;
    // Counted once for both the histograms and the preview.
    ImagePreviewData complete = image;
    completePreviewData(complete);
    if (!d->preview->setImage(complete, reason) || !d->widget->setImage(complete, reason))
        return false;
    // New curves take the level range of the image they are made for (12-bit data: 0..4095);
    // curves that were opened or edited keep theirs.
    if (d->fresh && image.maxValue >= 64 && image.maxValue < 65535
        && image.maxValue != d->widget->editor().getMaxDn()) {
        CurveEditor editor;
        editor.setMaxDn(image.maxValue);
        editor.clearCurves();
        d->widget->setEditor(editor);
        d->current = d->widget->editor();
    }
    d->preview->setCurves(d->widget->editor());
    d->preview->show();
    return true;
}

void CurveEditorWindow::clearImage()
{
    d->preview->clearImage();
    d->preview->hide();
    d->widget->clearImage();
}

bool CurveEditorWindow::canUndo() const
{
    return d->stack->canUndo();
}

bool CurveEditorWindow::canRedo() const
{
    return d->stack->canRedo();
}

void CurveEditorWindow::undo()
{
    d->stack->undo();
}

void CurveEditorWindow::redo()
{
    d->stack->redo();
}

} // namespace util
