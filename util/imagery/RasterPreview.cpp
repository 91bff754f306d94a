#include "util/imagery/RasterPreview.h"

#include "util/files/Failure.h"
#include "util/imagery/Gdal_p.h"

#include <algorithm>
#include <cmath>

namespace util {

bool readRasterPreview(const QString &path, int maxSize, RasterPreview &preview, Failure *failure)
{
    preview = RasterPreview();
    detail::ensureGdal();
    detail::QuietGdal quiet;
    detail::DatasetPtr in;
    if (!detail::openRaster(path, in, failure))
        return false;
    const QString unsupported = detail::unsupportedType(in.get());
    if (!unsupported.isEmpty())
        return fail(failure, Failure::other(path, unsupported));

    RasterPreview p;
    p.fullWidth = in->GetRasterXSize();
    p.fullHeight = in->GetRasterYSize();
    p.bandCount = in->GetRasterCount();
    const double scale =
        std::min(1.0, double(std::max(1, maxSize)) / std::max(p.fullWidth, p.fullHeight));
    p.width = std::max(1, int(std::lround(p.fullWidth * scale)));
    p.height = std::max(1, int(std::lround(p.fullHeight * scale)));

    for (int i = 1; i <= p.bandCount; ++i) {
        GDALRasterBand *band = in->GetRasterBand(i);
        p.maxValue = std::max(p.maxValue, detail::bandMaxValue(band));
        p.bandNames << detail::bandName(band);
        p.colourInterpretations << QString::fromUtf8(
            GDALGetColorInterpretationName(band->GetColorInterpretation()));
    }

    // Decimated reading takes the best overview GDAL has; nearest neighbour keeps values real.
    const std::size_t count = std::size_t(p.width) * std::size_t(p.height);
    p.samples.assign(std::size_t(p.bandCount), std::vector<std::uint16_t>(count));
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_NearestNeighbour;
    for (int i = 1; i <= p.bandCount; ++i) {
        if (in->GetRasterBand(i)->RasterIO(GF_Read, 0, 0, p.fullWidth, p.fullHeight,
                                           p.samples[std::size_t(i - 1)].data(), p.width, p.height,
                                           GDT_UInt16, 0, 0, &extra)
            != CE_None)
            return fail(failure, Failure::other(path, detail::gdalReason("cannot be read")));
    }

    // Histograms of the full raster: counted exactly up to 16 million pixels, beyond that
    // estimated by GDAL from overviews or sampled blocks, which keeps a large raster quick.
    const bool approx = double(p.fullWidth) * p.fullHeight > 16e6;
    p.histograms.assign(std::size_t(p.bandCount),
                        std::vector<std::uint64_t>(std::size_t(p.maxValue) + 1));
    std::vector<GUIntBig> buckets(std::size_t(p.maxValue) + 1);
    for (int i = 1; i <= p.bandCount; ++i) {
        if (in->GetRasterBand(i)->GetHistogram(-0.5, p.maxValue + 0.5, p.maxValue + 1,
                                               buckets.data(), FALSE, approx ? TRUE : FALSE,
                                               GDALDummyProgress, nullptr)
            != CE_None)
            return fail(failure, Failure::other(path, detail::gdalReason("cannot be read")));
        std::copy(buckets.begin(), buckets.end(), p.histograms[std::size_t(i - 1)].begin());
    }
    preview = std::move(p);
    return true;
}

} // namespace util
