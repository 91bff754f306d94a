#include "util/tonal/CurvePreviewWidget.h"

#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurvePreview_p.h"
#include "util/tonal/ImagePreviewData.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

namespace util {

namespace detail {

QVector<unsigned char> displayTable(const CurveEditor &editor, const QString &band, int maxValue)
{
    maxValue = qBound(1, maxValue, 65535);
    const double maxDn = editor.getMaxDn() > 0 ? editor.getMaxDn() : 1;
    QPolygonF line;
    try {
        // 1024 points follow any curve closer than a display level.
        editor.getCurveLookupTable(line, band, std::min(maxValue + 1, 1024));
    } catch (const std::exception &) {
        line.clear(); // a curve that cannot be drawn leaves the image as it is
    }
    // Samples above maxValue read as maxValue: a table over the whole 16-bit range needs no
    // bounds check per pixel.
    QVector<unsigned char> table(65536);
    const double scale = maxDn / maxValue;
    const double toDisplay = 255.0 / maxDn;
    int segment = 0;
    for (int v = 0; v < 65536; ++v) {
        const double x = std::min(v, maxValue) * scale;
        double y = x;
        if (!line.isEmpty()) {
            if (!(x > line.first().x())) {
                y = line.first().y();
            } else if (!(x < line.last().x())) {
                y = line.last().y();
            } else {
                while (segment + 2 < line.size() && line[segment + 1].x() < x)
                    ++segment;
                const QPointF a = line[segment];
                const QPointF b = line[segment + 1];
                const double dx = b.x() - a.x();
                y = dx > 0 ? a.y() + (b.y() - a.y()) * (x - a.x()) / dx : b.y();
            }
        }
        const double level = std::round(y * toDisplay);
        table[v] = static_cast<unsigned char>(level > 0 ? (level < 255 ? level : 255) : 0);
    }
    return table;
}

} // namespace detail

class CurvePreviewWidget::Private
{
public:
    ImagePreviewData image;
    bool hasImage = false;
    Composite composite = TrueColour;
    QImage picture;
    std::array<int, 3> channels {{0, 0, 0}};
    QVector<QVector<unsigned char>> tables; // one a band

    void chooseChannels()
    {
        static const QStringList trueColour = {"Red", "Green", "Blue"};
        static const QStringList infrared = {"Infrared", "Red", "Green"};
        const QStringList &wanted = composite == TrueColour ? trueColour : infrared;
        const int bands = image.samples.size();
        bool found = true;
        for (int c = 0; c < 3; ++c) {
            channels[std::size_t(c)] = image.roles.indexOf(wanted[c]);
            found = found && channels[std::size_t(c)] >= 0;
        }
        if (found)
            return;
        for (int c = 0; c < 3; ++c)
            channels[std::size_t(c)] = bands >= 3 ? c : 0;
    }

    QString curveOf(int band) const
    {
        const QString role = image.roles.value(band);
        return role.isEmpty() ? QStringLiteral("All") : role;
    }

    void render()
    {
        if (!hasImage)
            return;
        const int pixels = image.width * image.height;
        const quint16 *s0 = image.samples[channels[0]].constData();
        const quint16 *s1 = image.samples[channels[1]].constData();
        const quint16 *s2 = image.samples[channels[2]].constData();
        const unsigned char *t0 = tables[channels[0]].constData();
        const unsigned char *t1 = tables[channels[1]].constData();
        const unsigned char *t2 = tables[channels[2]].constData();
        if (picture.size() != QSize(image.width, image.height))
            picture = QImage(image.width, image.height, QImage::Format_RGB32);
        // The picture's rows are contiguous: width * 4 bytes is already 32-bit aligned.
        auto *out = reinterpret_cast<QRgb *>(picture.bits());
        for (int i = 0; i < pixels; ++i)
            out[i] = 0xff000000u | (QRgb(t0[s0[i]]) << 16) | (QRgb(t1[s1[i]]) << 8) | t2[s2[i]];
    }
};

CurvePreviewWidget::CurvePreviewWidget(QWidget *parent)
    : QWidget(parent)
    , d(new Private)
{
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CurvePreviewWidget::~CurvePreviewWidget() = default;

bool CurvePreviewWidget::setImage(const ImagePreviewData &image, QString *reason)
{
    if (!isValidPreviewData(image, reason))
        return false;
    d->image = image;
    completePreviewData(d->image);
    d->hasImage = true;
    d->chooseChannels();
    // Until curves come, the image as it is.
    CurveEditor identity;
    identity.setMaxDn(d->image.maxValue);
    identity.clearCurves();
    setCurves(identity);
    return true;
}

void CurvePreviewWidget::clearImage()
{
    d->image = ImagePreviewData();
    d->hasImage = false;
    d->picture = QImage();
    update();
}

bool CurvePreviewWidget::hasImage() const
{
    return d->hasImage;
}

const ImagePreviewData &CurvePreviewWidget::image() const
{
    return d->image;
}

void CurvePreviewWidget::setCurves(const CurveEditor &editor)
{
    if (!d->hasImage)
        return;
    // Every band's table, so that another composite needs no curves; bands corrected by one
    // curve (most follow "All") share its table.
    const int bands = d->image.samples.size();
    d->tables.resize(bands);
    QVector<const QPolygonF *> curves;
    for (int b = 0; b < bands; ++b) {
        curves << editor.getNodes(d->curveOf(b));
        const int same = curves.indexOf(curves[b]);
        d->tables[b] = same < b ? d->tables[same]
                                : detail::displayTable(editor, d->curveOf(b), d->image.maxValue);
    }
    d->render();
    update();
}

CurvePreviewWidget::Composite CurvePreviewWidget::composite() const
{
    return d->composite;
}

void CurvePreviewWidget::setComposite(Composite composite)
{
    if (composite == d->composite)
        return;
    d->composite = composite;
    if (!d->hasImage)
        return;
    d->chooseChannels();
    d->render();
    update();
}

QImage CurvePreviewWidget::picture() const
{
    return d->picture;
}

QSize CurvePreviewWidget::sizeHint() const
{
    return QSize(360, 360);
}

void CurvePreviewWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(48, 48, 48));
    if (d->picture.isNull()) {
        painter.setPen(QColor(200, 200, 200));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, tr("No image"));
        return;
    }
    QSize size = d->picture.size();
    size.scale(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, d->picture);
}

} // namespace util
