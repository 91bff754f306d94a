#include "util/tonal/CurveEditorWidget.h"

#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveHistogram_p.h"
#include "util/tonal/ImagePreviewData.h"
#include "util/tonal/TonalBands_p.h"
#include "util/tonal/TonalCurve.h"

#include <qwt_legend.h>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_symbol.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace util {

namespace {

const QStringList &bandNames = detail::editorBands();
const QStringList methodNames = {QStringLiteral("Linear"), QStringLiteral("Spline"),
                                 QStringLiteral("Gamma")};

// Falling stretches of a drawn curve, as `quorutil lut --stats` finds them in a table: the
// first one, from input to input, and how many there are.
struct Fall
{
    int count = 0;
    double from = 0;
    double to = 0;
};

Fall fallsOf(const QPolygonF &line)
{
    Fall fall;
    for (int i = 0; i + 1 < line.size(); ++i) {
        if (!(line[i + 1].y() < line[i].y()))
            continue;
        if (i == 0 || !(line[i].y() < line[i - 1].y())) {
            if (++fall.count == 1)
                fall.from = line[i].x();
        }
        if (fall.count == 1)
            fall.to = line[i + 1].x();
    }
    return fall;
}

// What the user sees of the model: "All" and every band-specific curve (a band's copy of
// "All", made for picking, is no edit). Two states are equal when no edit happened in between.
struct Snapshot
{
    QStringList ids;
    QStringList methods;
    QVector<QPolygonF> nodes;

    explicit Snapshot(const CurveEditor &editor)
    {
        for (const QString &id : editor.getBandIds()) {
            if (id != QLatin1String("All") && !editor.hasSpecificCorrection(id))
                continue;
            ids << id;
            methods << editor.getInterpolationMethod(id);
            nodes << *editor.getNodes(id);
        }
    }
    bool operator==(const Snapshot &o) const
    {
        return ids == o.ids && methods == o.methods && nodes == o.nodes;
    }
};

} // namespace

const int CurveEditorWidget::pickTolerance = 8;

class CurveEditorWidget::Private
{
public:
    explicit Private(CurveEditorWidget *q)
        : q(q)
    {
    }

    void refresh();
    void updateControls();
    QPointF levelsAt(const QPoint &pos) const;
    float toleranceAt(const QPoint &pos) const;
    // Drops the band's curve again when it is only a copy of "All" (given for picking).
    void dropCopyOfAll(const QString &band);
    // Gives the band a curve of its own before an edit that must not reach "All".
    void ownCurve(const QString &band);
    // After an edit: folds identical band curves and tells the world when anything changed.
    void finish(const Snapshot &before);
    void selectNode(int step);
    void nudge(int key, bool fine);
    // Removes the focused node (Delete, a drag off the plot); beeps when it must stay.
    void deleteFocused(const Snapshot &before);
    // A right-click: the node under the pointer goes.
    void deleteAt(const QPoint &pos);
    // A level typed into the input (0) or output (1) box.
    void typeLevel(int axis, double value);
    void setEdit(const QString &text, const QString &group = QString())
    {
        editText = text;
        editGroup = group;
    }

    CurveEditorWidget *q;
    CurveEditor editor;
    QString band = QStringLiteral("All");
    QwtPlot *plot = nullptr;
    QwtPlotCurve *nodeCurve = nullptr; // the band's nodes, owned here
    QwtPlotCurve *focusCurve = nullptr; // the selected node, owned here
    QComboBox *bandBox = nullptr;
    QComboBox *methodBox = nullptr;
    QDoubleSpinBox *gammaBox = nullptr;
    QDoubleSpinBox *nirBox = nullptr;
    QDoubleSpinBox *inputBox = nullptr;
    QDoubleSpinBox *outputBox = nullptr;
    QCheckBox *logBox = nullptr;
    QLabel *status = nullptr;
    std::unique_ptr<QwtPlotGrid> grid;
    std::unique_ptr<detail::HistogramItem> histogram;
    bool dragging = false;
    bool offPlot = false; // a dragged node is over the axes or beyond: the release deletes it
    QPointF pressLevels; // where the drag started, and the node there, in levels
    QPointF pressNode;
    int pressCount = 0;
    std::unique_ptr<Snapshot> pressed;
    std::unique_ptr<Snapshot> shown; // the curves curvesChanged() last told about
    QString editText;
    QString editGroup;
    QString statusText;
    QGridLayout *controls = nullptr;
    QVector<QPair<QLabel *, QWidget *>> fields;
    int rows = 0;

    // One row of labelled fields, or two when narrow.
    void arrange(int width)
    {
        const int wanted = width < 1000 ? 2 : 1;
        if (wanted == rows)
            return;
        rows = wanted;
        for (const auto &field : fields) {
            controls->removeWidget(field.first);
            controls->removeWidget(field.second);
        }
        const int perRow = (fields.size() + rows - 1) / rows;
        for (int i = 0; i < fields.size(); ++i) {
            controls->addWidget(fields[i].first, i / perRow, 2 * (i % perRow));
            controls->addWidget(fields[i].second, i / perRow, 2 * (i % perRow) + 1);
        }
        for (int column = 0; column <= 2 * fields.size(); ++column)
            controls->setColumnStretch(column, column == 2 * perRow ? 1 : 0);
    }
};

void CurveEditorWidget::Private::refresh()
{
    plot->detachItems(QwtPlotItem::Rtti_PlotCurve, false);
    QStringList falling;
    for (const QString &id : editor.getBandIds()) {
        QwtPlotCurve *curve = editor.recoverPlot(id);
        QPolygonF line;
        try {
            editor.getCurveLookupTable(line, id, 300);
        } catch (const std::exception &) {
            line.clear(); // a curve the converter refuses is not drawn
        }
        curve->setSamples(line);
        const bool current =
            id == band || (id == QLatin1String("All") && !editor.getBandIds().contains(band));
        curve->setPen(detail::bandColour(id), current ? 2.5 : 1.2);
        const Fall fall = fallsOf(line);
        if (fall.count > 0 && (id == QLatin1String("All") || editor.hasSpecificCorrection(id))) {
            falling << tr("%1 falls from input %2 to %3%4")
                           .arg(id)
                           .arg(std::lround(fall.from))
                           .arg(std::lround(fall.to))
                           .arg(fall.count > 1 ? tr(" (and %1 more)").arg(fall.count - 1)
                                               : QString());
        }
        curve->setRenderHint(QwtPlotItem::RenderAntialiased);
        curve->setZ(current ? 20 : 10);
    }
    editor.attachAll(plot);

    const QPolygonF nodes = *editor.getNodes(band);
    nodeCurve->setSamples(nodes);
    nodeCurve->attach(plot);
    QPolygonF selected;
    if (editor.editedIndex() >= 0) {
        const QPolygonF *focusNodes = editor.getNodes(editor.editedBand());
        if (editor.editedIndex() < focusNodes->size())
            selected << focusNodes->at(editor.editedIndex());
    }
    focusCurve->setSamples(selected);
    focusCurve->attach(plot);
    histogram->setMaxDn(editor.getMaxDn());
    histogram->setBand(band);
    plot->replot();
    statusText = falling.isEmpty()
        ? QString()
        : falling.join(QStringLiteral("; ")) + tr(": the curve inverts contrast there");
    status->setText(statusText);
    status->setVisible(!statusText.isEmpty());
    updateControls();

    auto now = std::make_unique<Snapshot>(editor);
    if (!shown || !(*now == *shown)) {
        shown = std::move(now);
        Q_EMIT q->curvesChanged();
    }
}

void CurveEditorWidget::Private::updateControls()
{
    const QSignalBlocker b1(bandBox), b2(methodBox), b3(gammaBox), b4(nirBox);
    bandBox->setCurrentIndex(bandNames.indexOf(band));
    methodBox->setCurrentIndex(methodNames.indexOf(editor.getInterpolationMethod(band)));
    const bool gamma = editor.getInterpolationMethod(band) == QLatin1String("Gamma")
        && editor.getNodes(band)->size() == 3;
    gammaBox->setEnabled(gamma);
    gammaBox->setValue(editor.getGamma(band));
    nirBox->setValue(editor.getNirScaling());

    const QSignalBlocker b5(inputBox), b6(outputBox);
    const int index = editor.editedIndex();
    const QPolygonF *nodes = editor.getNodes(editor.editedBand());
    const bool focused = index >= 0 && index < nodes->size();
    for (QDoubleSpinBox *box : {inputBox, outputBox})
        box->setRange(0, editor.getMaxDn());
    inputBox->setEnabled(focused);
    // The end nodes keep their output level.
    outputBox->setEnabled(focused && index > 0 && index < nodes->size() - 1);
    inputBox->setValue(focused ? nodes->at(index).x() : 0);
    outputBox->setValue(focused ? nodes->at(index).y() : 0);
}

QPointF CurveEditorWidget::Private::levelsAt(const QPoint &pos) const
{
    return QPointF(plot->invTransform(QwtPlot::xBottom, pos.x()),
                   plot->invTransform(QwtPlot::yLeft, pos.y()));
}

float CurveEditorWidget::Private::toleranceAt(const QPoint &pos) const
{
    return float(std::fabs(plot->invTransform(QwtPlot::xBottom, pos.x() + pickTolerance)
                           - plot->invTransform(QwtPlot::xBottom, pos.x())));
}

void CurveEditorWidget::Private::dropCopyOfAll(const QString &id)
{
    if (id != QLatin1String("All") && editor.getBandIds().contains(id)
        && !editor.hasSpecificCorrection(id))
        editor.removeCurve(id);
}

void CurveEditorWidget::Private::ownCurve(const QString &id)
{
    if (id != QLatin1String("All") && !editor.getBandIds().contains(id))
        editor.specifyCurve(id, *editor.getNodes(id), editor.getInterpolationMethod(id), false);
}

void CurveEditorWidget::Private::finish(const Snapshot &before)
{
    if (band != QLatin1String("All") && editor.hasSpecificCorrection(band)) {
        // Fold band curves that became identical (which lets a selected node of the band go).
        editor.specifyCurve(band, *editor.getNodes(band), editor.getInterpolationMethod(band),
                            true);
    }
    refresh();
    if (!(Snapshot(editor) == before))
        Q_EMIT q->edited();
}

void CurveEditorWidget::Private::selectNode(int step)
{
    const Snapshot before(editor);
    const QPolygonF nodes = *editor.getNodes(band);
    if (nodes.isEmpty())
        return;
    int index = editor.editedBand() == band
            || (editor.editedBand() == QLatin1String("All") && !editor.getBandIds().contains(band))
        ? editor.editedIndex() + step
        : (step > 0 ? 0 : nodes.size() - 1);
    index = qBound(0, index, nodes.size() - 1);
    editor.removeNodeFocus();
    editor.editedNode(band, nodes[index], 1e-3f);
    setEdit(tr("Select node"));
    finish(before);
}

void CurveEditorWidget::Private::nudge(int key, bool fine)
{
    if (editor.editedIndex() < 0)
        return;
    const QPolygonF *nodes = editor.getNodes(editor.editedBand());
    if (editor.editedIndex() >= nodes->size())
        return;
    const Snapshot before(editor);
    const double step = fine ? 1.0 : editor.getMaxDn() / 256.0;
    QPointF target = nodes->at(editor.editedIndex());
    if (key == Qt::Key_Left)
        target.rx() -= step;
    else if (key == Qt::Key_Right)
        target.rx() += step;
    else if (key == Qt::Key_Up)
        target.ry() += step;
    else
        target.ry() -= step;
    editor.moveEditedNode(target);
    setEdit(tr("Nudge node"),
            QStringLiteral("nudge %1 %2").arg(editor.editedBand()).arg(editor.editedIndex()));
    finish(before);
}

void CurveEditorWidget::Private::deleteFocused(const Snapshot &before)
{
    if (!editor.removeEditedNode())
        QApplication::beep();
    setEdit(tr("Delete node"));
    finish(before);
}

void CurveEditorWidget::Private::deleteAt(const QPoint &pos)
{
    const Snapshot before(editor);
    const QPointF levels = levelsAt(pos);
    const float tolerance = toleranceAt(pos);
    const QPolygonF nodes = *editor.getNodes(band);
    editor.removeNodeFocus();
    for (const QPointF &node : nodes) {
        if (std::hypot(node.x() - levels.x(), node.y() - levels.y()) < tolerance) {
            // Picking the node gives the band a curve of its own when it followed "All".
            editor.editedNode(band, node, 1e-3f);
            deleteFocused(before);
            return;
        }
    }
    finish(before);
}

void CurveEditorWidget::Private::typeLevel(int axis, double value)
{
    const int index = editor.editedIndex();
    const QPolygonF *nodes = editor.getNodes(editor.editedBand());
    if (index < 0 || index >= nodes->size())
        return;
    const Snapshot before(editor);
    QPointF target = nodes->at(index);
    (axis == 0 ? target.rx() : target.ry()) = value;
    editor.moveEditedNode(target);
    setEdit(axis == 0 ? tr("Type input level") : tr("Type output level"));
    finish(before);
}

CurveEditorWidget::CurveEditorWidget(QWidget *parent)
    : QWidget(parent)
    , d(new Private(this))
{
    d->plot = new QwtPlot(this);
    d->plot->setAutoDelete(false); // the curves belong to the editor and to this widget
    d->plot->setCanvasBackground(Qt::white);
    d->plot->setAxisTitle(QwtPlot::xBottom, tr("Input level"));
    d->plot->setAxisTitle(QwtPlot::yLeft, tr("Output level"));
    d->plot->setMinimumSize(240, 180);
    auto *grid = new QwtPlotGrid;
    grid->setMajorPen(QColor(220, 220, 220), 0, Qt::DotLine);
    grid->attach(d->plot);
    d->grid.reset(grid);

    QWidget *canvas = d->plot->canvas();
    canvas->setFocusPolicy(Qt::StrongFocus);
    canvas->setCursor(Qt::CrossCursor);
    canvas->setToolTip(helpText());
    canvas->installEventFilter(this);

    d->nodeCurve = new QwtPlotCurve(QStringLiteral("nodes"));
    d->nodeCurve->setStyle(QwtPlotCurve::NoCurve);
    d->nodeCurve->setSymbol(
        new QwtSymbol(QwtSymbol::Ellipse, Qt::white, QPen(Qt::black, 1.5), QSize(9, 9)));
    d->nodeCurve->setZ(30);
    d->nodeCurve->setItemAttribute(QwtPlotItem::Legend, false);
    d->focusCurve = new QwtPlotCurve(QStringLiteral("selected node"));
    d->focusCurve->setStyle(QwtPlotCurve::NoCurve);
    d->focusCurve->setSymbol(
        new QwtSymbol(QwtSymbol::Ellipse, QColor(255, 170, 0), QPen(Qt::black, 2), QSize(13, 13)));
    d->focusCurve->setZ(40);
    d->focusCurve->setItemAttribute(QwtPlotItem::Legend, false);
    d->plot->insertLegend(new QwtLegend, QwtPlot::BottomLegend);
    d->histogram = std::make_unique<detail::HistogramItem>();
    d->histogram->attach(d->plot);

    d->bandBox = new QComboBox(this);
    d->bandBox->addItems(bandNames);
    d->methodBox = new QComboBox(this);
    d->methodBox->addItems(methodNames);
    d->gammaBox = new QDoubleSpinBox(this);
    d->gammaBox->setRange(0.05, 20.0);
    d->gammaBox->setDecimals(3);
    d->gammaBox->setSingleStep(0.05);
    d->nirBox = new QDoubleSpinBox(this);
    d->nirBox->setRange(0.1, 10.0);
    d->nirBox->setDecimals(3);
    d->nirBox->setSingleStep(0.05);
    // Levels are typed whole; a value applies when typing ends, not at every digit.
    for (QDoubleSpinBox **box : {&d->inputBox, &d->outputBox}) {
        *box = new QDoubleSpinBox(this);
        (*box)->setDecimals(0);
        (*box)->setKeyboardTracking(false);
        (*box)->setEnabled(false);
    }
    d->gammaBox->setObjectName(QStringLiteral("gamma"));
    d->nirBox->setObjectName(QStringLiteral("nirScaling"));
    d->inputBox->setObjectName(QStringLiteral("inputLevel"));
    d->outputBox->setObjectName(QStringLiteral("outputLevel"));
    d->inputBox->setToolTip(tr("The selected node's input level"));
    d->outputBox->setToolTip(tr("The selected node's output level"));
    d->logBox = new QCheckBox(tr("&Log histogram"), this);
    d->logBox->setToolTip(tr("The image's histograms on a logarithmic scale"));
    d->logBox->hide(); // until there is an image
    d->status = new QLabel(this);
    d->status->setObjectName(QStringLiteral("status"));
    d->status->setStyleSheet(QStringLiteral("color: #b00000"));
    d->status->setWordWrap(true);
    d->status->hide();

    d->controls = new QGridLayout;
    const auto addLabelled = [this](const QString &text, QWidget *field) {
        auto *label = new QLabel(text, this);
        label->setBuddy(field);
        d->fields.append({label, field});
    };
    addLabelled(tr("&Band"), d->bandBox);
    addLabelled(tr("&Interpolation"), d->methodBox);
    addLabelled(tr("&Gamma"), d->gammaBox);
    addLabelled(tr("&NIR scaling"), d->nirBox);
    addLabelled(tr("In&put"), d->inputBox);
    addLabelled(tr("&Output"), d->outputBox);
    d->arrange(width());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(d->controls);
    layout->addWidget(d->plot, 1);
    auto *below = new QHBoxLayout;
    below->addWidget(d->status, 1);
    below->addWidget(d->logBox, 0, Qt::AlignRight | Qt::AlignTop);
    layout->addLayout(below);
    setTabOrder(d->bandBox, d->methodBox);
    setTabOrder(d->methodBox, d->gammaBox);
    setTabOrder(d->gammaBox, d->nirBox);
    setTabOrder(d->nirBox, d->inputBox);
    setTabOrder(d->inputBox, d->outputBox);
    setTabOrder(d->outputBox, canvas);
    setTabOrder(canvas, d->logBox);

    connect(d->bandBox, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { setBand(bandNames.value(index)); });
    connect(d->methodBox, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        const Snapshot before(d->editor);
        d->editor.removeNodeFocus();
        d->setEdit(tr("Change interpolation"));
        try {
            d->editor.changeInterpolationMethod(methodNames.value(index), d->band);
        } catch (const std::exception &) {
            // A gamma curve that cannot be sampled stays as it is.
            QApplication::beep();
        }
        d->finish(before);
    });
    connect(d->gammaBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double gamma) {
                const Snapshot before(d->editor);
                d->ownCurve(d->band);
                d->editor.applyGamma(gamma, d->band);
                d->setEdit(tr("Set gamma"));
                d->finish(before);
            });
    connect(d->nirBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double scaling) {
                const Snapshot before(d->editor);
                d->editor.setNirScaling(scaling);
                d->setEdit(tr("Set NIR scaling"));
                d->finish(before);
            });

    connect(d->inputBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double value) { d->typeLevel(0, value); });
    connect(d->outputBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double value) { d->typeLevel(1, value); });
    connect(d->logBox, &QCheckBox::toggled, this, [this](bool on) { setHistogramLogarithmic(on); });

    d->plot->setAxisScale(QwtPlot::xBottom, 0, d->editor.getMaxDn());
    d->plot->setAxisScale(QwtPlot::yLeft, 0, d->editor.getMaxDn());
    d->refresh();
}

CurveEditorWidget::~CurveEditorWidget()
{
    // The plot must not delete what the editor and this widget own.
    d->plot->detachItems(QwtPlotItem::Rtti_PlotItem, false);
    delete d->nodeCurve;
    delete d->focusCurve;
}

bool CurveEditorWidget::setImage(const ImagePreviewData &image, QString *reason)
{
    if (!isValidPreviewData(image, reason))
        return false;
    ImagePreviewData complete = image;
    completePreviewData(complete);
    d->histogram->setImage(complete);
    d->logBox->show();
    d->plot->replot();
    return true;
}

void CurveEditorWidget::clearImage()
{
    d->histogram->clear();
    d->logBox->hide();
    d->plot->replot();
}

bool CurveEditorWidget::isHistogramLogarithmic() const
{
    return d->histogram->isLogarithmic();
}

void CurveEditorWidget::setHistogramLogarithmic(bool logarithmic)
{
    const QSignalBlocker blocker(d->logBox);
    d->logBox->setChecked(logarithmic);
    d->histogram->setLogarithmic(logarithmic);
    d->plot->replot();
}

QString CurveEditorWidget::lastEditText() const
{
    return d->editText;
}

QString CurveEditorWidget::lastEditGroup() const
{
    return d->editGroup;
}

QString CurveEditorWidget::statusText() const
{
    return d->statusText;
}

QString CurveEditorWidget::helpText()
{
    return tr("Click a node to select it, or the curve to add a node there.\n"
              "Drag a node to move it by the pointer's movement; drop it onto a neighbour to "
              "merge the two.\n"
              "Drag an inner node off the plot, or right-click it, to delete it.\n"
              "Page Up / Page Down: select the next / previous node.\n"
              "Arrow keys: move the selected node by 1/256 of the level range (with Shift: one "
              "level); the nudges of one node are one undo step.\n"
              "Delete or Backspace: delete the selected node (not the end nodes; a curve keeps "
              "three nodes).\n"
              "Escape: let the selected node go.\n"
              "Input and Output: type the selected node's levels.");
}

void CurveEditorWidget::resizeEvent(QResizeEvent *event)
{
    d->arrange(width());
    QWidget::resizeEvent(event);
}

const CurveEditor &CurveEditorWidget::editor() const
{
    return d->editor;
}

void CurveEditorWidget::setEditor(const CurveEditor &editor)
{
    d->dragging = false;
    d->pressed.reset();
    if (d->offPlot) {
        d->offPlot = false;
        d->plot->canvas()->setCursor(Qt::CrossCursor);
    }
    d->editor = editor;
    d->editor.removeNodeFocus();
    d->plot->setAxisScale(QwtPlot::xBottom, 0, d->editor.getMaxDn());
    d->plot->setAxisScale(QwtPlot::yLeft, 0, d->editor.getMaxDn());
    d->refresh();
}

QString CurveEditorWidget::band() const
{
    return d->band;
}

void CurveEditorWidget::setBand(const QString &band)
{
    if (!bandNames.contains(band) || band == d->band) {
        d->updateControls();
        return;
    }
    d->dragging = false;
    d->editor.removeNodeFocus();
    d->dropCopyOfAll(d->band);
    d->band = band;
    d->refresh();
}

TonalCurve CurveEditorWidget::curve(const QString &band) const
{
    TonalCurve curve;
    curve.setInterpolationString(d->editor.getInterpolationMethod(band));
    const QPolygonF nodes = *d->editor.getNodes(band);
    const double scale = 1.0 / d->editor.getMaxDn();
    if (!nodes.isEmpty() && nodes.first().x() > 0 && nodes.first().y() == 0)
        curve.addNode(0, 0);
    for (const QPointF &node : nodes)
        curve.addNode(node.x() * scale, node.y() * scale);
    if (!nodes.isEmpty() && nodes.last().x() < d->editor.getMaxDn()
        && nodes.last().y() == d->editor.getMaxDn())
        curve.addNode(1, 1);
    return curve;
}

void CurveEditorWidget::setCurve(const QString &band, const TonalCurve &curve)
{
    d->editor.removeNodeFocus();
    d->editor.specifyCurve(band, curve, band != QLatin1String("All"));
    d->refresh();
}

bool CurveEditorWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != d->plot->canvas())
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::RightButton && !d->dragging) {
            d->deleteAt(e->pos());
            return true;
        }
        if (e->button() != Qt::LeftButton)
            break;
        d->pressed = std::make_unique<Snapshot>(d->editor);
        const QString oldFocus = d->editor.editedBand();
        d->editor.removeNodeFocus();
        if (oldFocus != d->band)
            d->dropCopyOfAll(oldFocus);
        d->pressCount = d->editor.getNodes(d->band)->size();
        d->pressLevels = d->levelsAt(e->pos());
        const QPointF *node =
            d->editor.editedNode(d->band, d->pressLevels, d->toleranceAt(e->pos()));
        d->dragging = node != nullptr;
        if (node)
            d->pressNode = *node;
        d->offPlot = false;
        d->refresh();
        return true;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (!d->dragging || !(e->buttons() & Qt::LeftButton))
            break;
        const QPolygonF *nodes = d->editor.getNodes(d->editor.editedBand());
        const int index = d->editor.editedIndex();
        const bool inner = index > 0 && index < nodes->size() - 1;
        const bool off = inner && !d->plot->canvas()->rect().contains(e->pos());
        if (off != d->offPlot) {
            d->offPlot = off;
            d->plot->canvas()->setCursor(off ? Qt::ForbiddenCursor : Qt::CrossCursor);
        }
        if (off)
            return true; // the node waits where it was: a release here deletes it
        // By the pointer's movement, not to the pointer: a node picked a few pixels off keeps
        // its place along an axis the pointer does not move along.
        d->editor.moveEditedNode(d->pressNode + (d->levelsAt(e->pos()) - d->pressLevels));
        d->refresh();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() != Qt::LeftButton || !d->pressed)
            break;
        const Snapshot before = *d->pressed;
        d->pressed.reset();
        const bool added = d->editor.getNodes(d->band)->size() > d->pressCount;
        const bool wasDragging = d->dragging;
        d->dragging = false;
        if (d->offPlot) {
            d->offPlot = false;
            d->plot->canvas()->setCursor(Qt::CrossCursor);
            d->deleteFocused(before);
            return true;
        }
        if (wasDragging)
            d->editor.editedNode(d->editor.editedBand(), QPointF(-1, -1), d->toleranceAt(e->pos()));
        d->setEdit(added ? tr("Add node") : tr("Move node"));
        d->finish(before);
        return true;
    }
    case QEvent::KeyPress: {
        auto *e = static_cast<QKeyEvent *>(event);
        switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            d->nudge(e->key(), e->modifiers() & Qt::ShiftModifier);
            return true;
        case Qt::Key_PageUp:
            d->selectNode(1);
            return true;
        case Qt::Key_PageDown:
            d->selectNode(-1);
            return true;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            if (d->editor.editedIndex() >= 0 && !d->dragging)
                d->deleteFocused(Snapshot(d->editor));
            return true;
        case Qt::Key_Escape: {
            const QString focusBand = d->editor.editedBand();
            d->editor.removeNodeFocus();
            d->dropCopyOfAll(focusBand);
            d->finish(Snapshot(d->editor));
            return true;
        }
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace util
