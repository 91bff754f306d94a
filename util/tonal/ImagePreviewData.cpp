#include "util/tonal/ImagePreviewData.h"

#include "util/tonal/TonalBands_p.h"

namespace util {

bool isValidPreviewData(const ImagePreviewData &image, QString *reason)
{
    const auto fail = [reason](const QString &text) {
        if (reason)
            *reason = text;
        return false;
    };
    if (image.width <= 0 || image.height <= 0)
        return fail(QStringLiteral("the image has no pixels"));
    if (image.samples.isEmpty())
        return fail(QStringLiteral("the image has no band"));
    if (image.maxValue < 1 || image.maxValue > 65535)
        return fail(QStringLiteral("the largest value is not from 1 to 65535"));
    if (image.roles.size() > image.samples.size() || image.histograms.size() > image.samples.size()
        || image.bandNames.size() > image.samples.size())
        return fail(QStringLiteral("more band names, roles or histograms than bands"));
    const qint64 pixels = qint64(image.width) * image.height;
    for (const QVector<quint16> &band : image.samples) {
        if (band.size() != pixels)
            return fail(QStringLiteral("a band does not hold width x height samples"));
    }
    for (const QVector<quint32> &histogram : image.histograms) {
        if (histogram.isEmpty())
            return fail(QStringLiteral("an empty histogram"));
    }
    return true;
}

void completePreviewData(ImagePreviewData &image)
{
    const int bands = image.samples.size();
    while (image.bandNames.size() < bands)
        image.bandNames << QStringLiteral("Band %1").arg(image.bandNames.size() + 1);
    while (image.roles.size() < bands)
        image.roles << detail::colourRoleOf(image.bandNames[image.roles.size()]);
    image.histograms.resize(bands);
    const int top = qBound(0, image.maxValue, 65535);
    for (int b = 0; b < bands; ++b) {
        QVector<quint32> &histogram = image.histograms[b];
        if (!histogram.isEmpty())
            continue;
        histogram.fill(0, top + 1);
        quint32 *bins = histogram.data();
        for (const quint16 value : image.samples[b])
            ++bins[value < top ? value : top];
    }
}

} // namespace util
