#include "util/tonal/CurveEditorWindow.h"

#include "util/files/AtomicWrite.h"
#include "util/files/ReadFile.h"
#include "util/tonal/BpfConverter.h"
#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalXml_p.h"
#include "util/xml/XmlFile.h"

#include <QAction>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
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

// The editor's band for a break-point file's band name.
QString editorBand(const QString &name)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("RED"))
        return QStringLiteral("Red");
    if (upper == QLatin1String("GRN") || upper == QLatin1String("GREEN"))
        return QStringLiteral("Green");
    if (upper == QLatin1String("BLU") || upper == QLatin1String("BLUE"))
        return QStringLiteral("Blue");
    if (upper == QLatin1String("NIR") || upper == QLatin1String("IR"))
        return QStringLiteral("Infrared");
    return name;
}

// One edit: the curves before and after it. The first redo comes with the push, when the widget
// already shows the result.
class EditCommand : public QUndoCommand
{
public:
    EditCommand(CurveEditorWidget *widget, const CurveEditor &before, const CurveEditor &after,
                const QString &text)
        : QUndoCommand(text)
        , widget(widget)
        , before(before)
        , after(after)
    {
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
    bool pushed = false;
};

} // namespace

class CurveEditorWindow::Private
{
public:
    CurveEditorWidget *widget = nullptr;
    QUndoStack *stack = nullptr;
    CurveEditor current; // what the widget showed after the last recorded edit
    QString fileName;

    void record(const QString &text)
    {
        const CurveEditor after = widget->editor();
        stack->push(new EditCommand(widget, current, after, text));
        current = after;
    }
};

CurveEditorWindow::CurveEditorWindow(QWidget *parent)
    : QMainWindow(parent)
    , d(new Private)
{
    d->widget = new CurveEditorWidget(this);
    setCentralWidget(d->widget);
    d->stack = new QUndoStack(this);
    d->current = d->widget->editor();
    connect(d->widget, &CurveEditorWidget::edited, this, [this] { d->record(tr("Edit curve")); });
    // Undo and redo replace the widget's curves: what it shows is the state to compare with.
    connect(d->stack, &QUndoStack::indexChanged, this, [this] {
        d->current = d->widget->editor();
        setWindowModified(!d->stack->isClean());
    });

    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *open = file->addAction(tr("&Open..."), this, [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, tr("Open curves"), QFileInfo(d->fileName).path(),
            tr("Curve and break-point files (*.xml *.bpf);;All files (*)"));
        QString error;
        if (!name.isEmpty() && !openFile(name, &error))
            QMessageBox::warning(this, tr("Open curves"), error);
    });
    open->setShortcut(QKeySequence::Open);
    QAction *import = file->addAction(tr("&Import break points..."), this, [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, tr("Import break points"), QFileInfo(d->fileName).path(),
            tr("Break-point files (*.xml *.bpf);;All files (*)"));
        QString error;
        if (!name.isEmpty() && !importBreakPoints(name, &error))
            QMessageBox::warning(this, tr("Import break points"), error);
    });
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    const auto saveAs = [this] {
        const QString name = QFileDialog::getSaveFileName(this, tr("Save curves"), d->fileName,
                                                          tr("Curve files (*.xml)"));
        QString error;
        if (!name.isEmpty() && !saveFile(name, &error))
            QMessageBox::warning(this, tr("Save curves"), error);
    };
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
    file->addAction(tr("&Quit"), this, &QWidget::close)->setShortcut(QKeySequence::Quit);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    QAction *undoAction = d->stack->createUndoAction(this, tr("&Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    QAction *redoAction = d->stack->createRedoAction(this, tr("&Redo"));
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(undoAction);
    edit->addAction(redoAction);

    setWindowTitle(tr("Tonal curves[*]"));
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
                setWindowFilePath(QString());
                setWindowModified(false);
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
    setWindowFilePath(fileName);
    setWindowModified(false);
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
    editor.setMaxDn(d->widget->editor().getMaxDn());
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
    setWindowFilePath(fileName);
    d->stack->setClean();
    setWindowModified(false);
    return true;
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
