#include "util/imagery/ApplyCurves.h"

#include "util/core/ProgressInterface.h"
#include "util/files/Failure.h"
#include "util/files/NamedReplacement.h"
#include "util/files/ReadFile.h"
#include "util/imagery/Gdal_p.h"
#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"
#include "util/xml/XmlFile.h"

#include <cpl_string.h>
#include <cpl_vsi.h>

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace util {

namespace {

struct Curve
{
    TonalCurve curve;
    int maxValue = 0; // 0: the raster's own range
};

// The max_value of each band of a break-point file; BpfConverter keeps only the normalised
// nodes, so the scale is read beside it, the same way (case-insensitive tags).
QMap<QString, int> bpfMaxValues(const QByteArray &bytes, const QString &fileName)
{
    QMap<QString, int> values;
    QDomDocument document;
    if (!parseXmlBytes(bytes, document, fileName))
        return values;
    for (QDomElement bands = document.documentElement().firstChildElement(); !bands.isNull();
         bands = bands.nextSiblingElement()) {
        if (bands.tagName().compare(QLatin1String("break_points"), Qt::CaseInsensitive) != 0)
            continue;
        for (QDomElement child = bands.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement())
            if (child.tagName().compare(QLatin1String("max_value"), Qt::CaseInsensitive) == 0)
                values[bands.attribute(QStringLiteral("band"))] = child.text().toInt(nullptr, 10);
    }
    return values;
}

} // namespace

struct RasterCurves::Private
{
    QString source; // the file the curves came from, for failures
    bool single = false;
    Curve all;
    QMap<QString, Curve> bands;
    int maxValue = 0;
};

struct ApplyCurvesOptions::Private
{
    QString driver = QStringLiteral("GTiff");
    QStringList creationOptions;
    int threads = 1;
    QStringList bandCodes;
};

struct RasterCurvesAccess
{
    static const RasterCurves::Private &get(const RasterCurves &c) { return *c.d; }
};
struct ApplyCurvesOptionsAccess
{
    static const ApplyCurvesOptions::Private &get(const ApplyCurvesOptions &o) { return *o.d; }
};

RasterCurves::RasterCurves()
    : d(new Private)
{
}
RasterCurves::RasterCurves(const RasterCurves &other)
    : d(new Private(*other.d))
{
}
RasterCurves &RasterCurves::operator=(const RasterCurves &other)
{
    *d = *other.d;
    return *this;
}
RasterCurves::~RasterCurves() = default;

bool RasterCurves::load(const QString &fileName, Failure *failure)
{
    // One bounded read; the curves and the break points' scales come from the same bytes.
    QByteArray bytes;
    QMap<QString, TonalCurve> curves;
    if (!readWholeFile(fileName, bytes, failure)
        || !parseTonalCurves(bytes, fileName, false, curves, failure))
        return false;
    if (curves.contains(QString())) {
        setCurve(curves.value(QString()), 0);
        d->source = fileName;
        return true;
    }
    if (curves.isEmpty())
        return fail(failure, Failure::other(fileName, QStringLiteral("holds no band")));
    Private loaded;
    const QMap<QString, int> maxValues = bpfMaxValues(bytes, fileName);
    for (auto it = curves.cbegin(); it != curves.cend(); ++it)
        loaded.bands.insert(it.key(), Curve {it.value(), maxValues.value(it.key())});
    loaded.maxValue = d->maxValue;
    loaded.source = fileName;
    *d = loaded;
    return true;
}

void RasterCurves::setCurve(const TonalCurve &curve, int maxValue)
{
    d->single = true;
    d->all = Curve {curve, maxValue};
    d->bands.clear();
    d->source.clear();
}

void RasterCurves::setBandCurve(const QString &code, const TonalCurve &curve, int maxValue)
{
    d->single = false;
    d->bands.insert(code, Curve {curve, maxValue});
    d->source.clear();
}

void RasterCurves::setMaxValue(int maxValue)
{
    d->maxValue = maxValue;
}

bool RasterCurves::isSingleCurve() const
{
    return d->single;
}

QStringList RasterCurves::bandCodes() const
{
    return d->single ? QStringList() : d->bands.keys();
}

ApplyCurvesOptions::ApplyCurvesOptions()
    : d(new Private)
{
}
ApplyCurvesOptions::ApplyCurvesOptions(const ApplyCurvesOptions &other)
    : d(new Private(*other.d))
{
}
ApplyCurvesOptions &ApplyCurvesOptions::operator=(const ApplyCurvesOptions &other)
{
    *d = *other.d;
    return *this;
}
ApplyCurvesOptions::~ApplyCurvesOptions() = default;

void ApplyCurvesOptions::setDriver(const QString &driver)
{
    d->driver = driver;
}
QString ApplyCurvesOptions::driver() const
{
    return d->driver;
}
void ApplyCurvesOptions::setCreationOptions(const QStringList &options)
{
    d->creationOptions = options;
}
QStringList ApplyCurvesOptions::creationOptions() const
{
    return d->creationOptions;
}
void ApplyCurvesOptions::setThreads(int threads)
{
    d->threads = std::max(1, threads);
}
int ApplyCurvesOptions::threads() const
{
    return d->threads;
}
void ApplyCurvesOptions::setBandCodes(const QStringList &codes)
{
    d->bandCodes = codes;
}
QStringList ApplyCurvesOptions::bandCodes() const
{
    return d->bandCodes;
}

namespace {

using detail::DatasetPtr;

// Spellings of each band code that a description or a colour interpretation may carry.
const struct
{
    const char *code;
    GDALColorInterp interp;
    const char *aliases[4];
} knownCodes[] = {
    {"RED", GCI_RedBand, {"RED", "R", nullptr, nullptr}},
    {"GRN", GCI_GreenBand, {"GRN", "GREEN", "G", nullptr}},
    {"BLU", GCI_BlueBand, {"BLU", "BLUE", "B", nullptr}},
    {"NIR", GCI_Undefined, {"NIR", "NEAR INFRARED", "NEAR-INFRARED", "INFRARED"}},
    {"PAN", GCI_GrayIndex, {"PAN", "PANCHROMATIC", nullptr, nullptr}},
};

// The curve code of a band with this description or colour interpretation: first a code of
// the curves equal to the description, then the known spellings.
QString matchBand(GDALRasterBand *band, const QStringList &codes)
{
    const QString description = QString::fromUtf8(band->GetDescription()).trimmed();
    for (const QString &code : codes)
        if (!description.isEmpty() && description.compare(code, Qt::CaseInsensitive) == 0)
            return code;
    auto inCodes = [&](const char *code) {
        for (const QString &c : codes)
            if (c.compare(QLatin1String(code), Qt::CaseInsensitive) == 0)
                return c;
        return QString();
    };
    for (const auto &known : knownCodes)
        for (const char *alias : known.aliases)
            if (alias && description.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0)
                return inCodes(known.code);
    const GDALColorInterp interp = band->GetColorInterpretation();
    for (const auto &known : knownCodes)
        if (known.interp != GCI_Undefined && known.interp == interp)
            return inCodes(known.code);
    return QString();
}

QString describeBands(GDALDataset *dataset)
{
    QStringList names;
    for (int i = 1; i <= dataset->GetRasterCount(); ++i) {
        GDALRasterBand *band = dataset->GetRasterBand(i);
        const QString description = QString::fromUtf8(band->GetDescription()).trimmed();
        const QString interp =
            QString::fromUtf8(GDALGetColorInterpretationName(band->GetColorInterpretation()));
        names << (description.isEmpty() || description == interp
                      ? QStringLiteral("%1 (%2)").arg(i).arg(interp)
                      : QStringLiteral("%1 (%2, %3)").arg(i).arg(description, interp));
    }
    return names.join(QStringLiteral(", "));
}

// One band's table: the output value of every input value the data type holds.
struct BandTable
{
    std::vector<std::uint16_t> values;
};

// Maps value v through table t (t[i] at input level i / m): round(t[min(v, m)] * m), half away
// from zero, clamped to [0, min(m, typeMax)]; a table entry that is not a number gives 0.
bool buildTable(const TonalCurve &curve, int m, int typeMax, const QString &bandLabel,
                BandTable &out, QString &reason)
{
    std::vector<float> table;
    try {
        TonalCurveConverter converter;
        table = converter.getLUT(curve, m + 1);
    } catch (const std::exception &e) {
        reason = bandLabel + QStringLiteral(": ") + QString::fromStdString(e.what());
        return false;
    }
    const long top = std::min(m, typeMax);
    out.values.resize(std::size_t(typeMax) + 1);
    for (int v = 0; v <= typeMax; ++v) {
        const float y = table[std::size_t(std::min(v, m))];
        long level = 0;
        if (!std::isnan(y)) {
            const double scaled = double(y) * m;
            level = scaled >= double(top) ? top : scaled <= 0 ? 0 : std::lround(scaled);
        }
        out.values[std::size_t(v)] = std::uint16_t(std::clamp(level, 0L, top));
    }
    return true;
}

// Nodata stays nodata, and nothing else becomes nodata: a value the curve sends onto the nodata
// value is moved one level away from it (up, or down at the top of the range).
void keepNodata(BandTable &table, int nodata, int top)
{
    const int away = nodata < top ? nodata + 1 : nodata - 1;
    for (std::size_t v = 0; v < table.values.size(); ++v)
        if (table.values[v] == nodata)
            table.values[v] = std::uint16_t(away);
    table.values[std::size_t(nodata)] = std::uint16_t(nodata);
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

bool hasOption(const CPLStringList &options, const char *name)
{
    return options.FetchNameValue(name) != nullptr;
}

void copyMetadata(GDALMajorObject *from, GDALMajorObject *to)
{
    char **domains = from->GetMetadataDomainList();
    for (int i = 0; domains && domains[i]; ++i) {
        // What describes the file's encoding is the new file's own business.
        if (EQUAL(domains[i], "IMAGE_STRUCTURE") || EQUAL(domains[i], "DERIVED_SUBDATASETS")
            || EQUAL(domains[i], "SUBDATASETS"))
            continue;
        if (char **items = from->GetMetadata(domains[i]))
            to->SetMetadata(items, domains[i]);
    }
    CSLDestroy(domains);
}

void copyDescription(GDALDataset *in, GDALDataset *out)
{
    double transform[6];
    if (in->GetGeoTransform(transform) == CE_None)
        out->SetGeoTransform(transform);
    if (const OGRSpatialReference *srs = in->GetSpatialRef())
        out->SetSpatialRef(srs);
    if (in->GetGCPCount() > 0)
        out->SetGCPs(in->GetGCPCount(), in->GetGCPs(), in->GetGCPSpatialRef());
    copyMetadata(in, out);
    for (int i = 1; i <= in->GetRasterCount(); ++i) {
        GDALRasterBand *a = in->GetRasterBand(i);
        GDALRasterBand *b = out->GetRasterBand(i);
        copyMetadata(a, b);
        if (*a->GetDescription())
            b->SetDescription(a->GetDescription());
        b->SetColorInterpretation(a->GetColorInterpretation());
        int has = 0;
        const double nodata = a->GetNoDataValue(&has);
        if (has)
            b->SetNoDataValue(nodata);
        const double offset = a->GetOffset(&has);
        if (has && offset != 0.0)
            b->SetOffset(offset);
        const double scale = a->GetScale(&has);
        if (has && scale != 1.0)
            b->SetScale(scale);
        if (*a->GetUnitType())
            b->SetUnitType(a->GetUnitType());
        if (char **categories = a->GetCategoryNames())
            b->SetCategoryNames(categories);
    }
}

// A window of the raster that is read, mapped and written as one piece.
struct Window
{
    int x, y, width, height;
};

std::vector<Window> windows(GDALDataset *in, GDALDataset *out, std::size_t pixelBytes)
{
    int bx = 0, by = 0, ox = 0, oy = 0;
    in->GetRasterBand(1)->GetBlockSize(&bx, &by);
    out->GetRasterBand(1)->GetBlockSize(&ox, &oy);
    const int width = in->GetRasterXSize();
    const int height = in->GetRasterYSize();
    bx = std::clamp(bx, 1, width);
    by = std::clamp(by, 1, height);
    ox = std::clamp(ox, 1, width);
    oy = std::clamp(oy, 1, height);
    // Rows: whole input blocks, at least one output block high, about 4 MiB a window.
    const std::size_t target = std::size_t(4) << 20;
    const std::size_t limit = std::size_t(32) << 20;
    const std::size_t rowBytes = std::size_t(width) * pixelBytes;
    int rows = by;
    if (oy > rows)
        rows = (oy + by - 1) / by * by;
    while (std::size_t(rows) * 2 * rowBytes <= target && rows * 2 <= height)
        rows *= 2;
    // Columns: the whole width, unless a window would be large and the output is tiled; then
    // whole blocks of the output (and of the input where it is tiled too), so that every output
    // block is written once and complete.
    int columns = width;
    if (std::size_t(rows) * rowBytes > target && ox < width) {
        long step = bx < width ? std::lcm(long(bx), long(ox)) : long(ox);
        if (step >= width)
            step = ox;
        const long fit = long(target / (std::size_t(rows) * pixelBytes));
        columns = int(std::clamp(fit / step * step, step, long(width)));
    }
    // A striped output cannot be split by columns: very wide rows are then cut to fewer rows
    // than an input block holds (input blocks are read more than once; memory stays bounded).
    if (std::size_t(rows) * std::size_t(columns) * pixelBytes > limit && columns == width) {
        const int fit = int(limit / rowBytes);
        rows = std::max(oy, fit / oy * oy);
    }
    std::vector<Window> list;
    for (int y = 0; y < height; y += rows)
        for (int x = 0; x < width; x += columns)
            list.push_back({x, y, std::min(columns, width - x), std::min(rows, height - y)});
    return list;
}

template<typename T> void mapPixels(T *data, std::size_t pixels, const std::uint16_t *table)
{
    for (std::size_t i = 0; i < pixels; ++i)
        data[i] = T(table[data[i]]);
}

// The pixel work shared by the sequential and the threaded path. Buffers hold one band after
// the other: a band is copied to and from GDAL's blocks row by row, and mapped through one
// table.
struct Job
{
    GDALDataType type;
    int bands;
    std::size_t sampleBytes;
    std::vector<const std::uint16_t *> tables;

    bool io(GDALDataset *ds, GDALRWFlag flag, const Window &w, unsigned char *data) const
    {
        const GSpacing line = GSpacing(sampleBytes) * w.width;
        return ds->RasterIO(flag, w.x, w.y, w.width, w.height, data, w.width, w.height, type, bands,
                            nullptr, GSpacing(sampleBytes), line, line * w.height, nullptr)
            == CE_None;
    }

    bool read(GDALDataset *in, const Window &w, std::vector<unsigned char> &buffer) const
    {
        const std::size_t pixels = std::size_t(w.width) * std::size_t(w.height);
        buffer.resize(pixels * std::size_t(bands) * sampleBytes);
        if (!io(in, GF_Read, w, buffer.data()))
            return false;
        // What was read is not read again: the block cache stays small.
        for (int b = 1; b <= bands; ++b)
            in->GetRasterBand(b)->FlushCache(false);
        for (std::size_t b = 0; b < std::size_t(bands); ++b) {
            unsigned char *plane = buffer.data() + b * pixels * sampleBytes;
            if (type == GDT_Byte)
                mapPixels(plane, pixels, tables[b]);
            else
                mapPixels(reinterpret_cast<std::uint16_t *>(plane), pixels, tables[b]);
        }
        return true;
    }

    bool write(GDALDataset *out, const Window &w, std::vector<unsigned char> &buffer) const
    {
        if (!io(out, GF_Write, w, buffer.data()))
            return false;
        // Written blocks leave the cache now rather than when it is full.
        for (int b = 1; b <= bands; ++b)
            if (out->GetRasterBand(b)->FlushCache(false) != CE_None)
                return false;
        return true;
    }
};

struct Progress
{
    ProgressInterface *progress;
    double rows = 0;
    void done(const Window &w, int width)
    {
        if (!progress)
            return;
        rows += double(w.height) * w.width / width;
        progress->amountDone(rows);
    }
};

bool runSequential(GDALDataset *in, GDALDataset *out, const Job &job,
                   const std::vector<Window> &list, Progress &progress, QString &inputReason,
                   QString &outputReason)
{
    std::vector<unsigned char> buffer;
    for (const Window &w : list) {
        if (!job.read(in, w, buffer)) {
            inputReason = detail::gdalReason("cannot be read");
            return false;
        }
        if (!job.write(out, w, buffer)) {
            outputReason = detail::gdalReason("cannot be written");
            return false;
        }
        progress.done(w, in->GetRasterXSize());
    }
    return true;
}

// Readers on threads of their own, each with its own dataset handle (GDAL datasets are not
// thread-safe), map windows ahead; the calling thread writes them in order, so the file is
// the same whatever the number of threads.
bool runThreaded(const QString &input, GDALDataset *out, const Job &job,
                 const std::vector<Window> &list, int threads, Progress &progress,
                 QString &inputReason, QString &outputReason)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::size_t, std::vector<unsigned char>> ready;
    // Written buffers go back to the readers: a fresh one for every window would cost an
    // allocation, page faults and zeroing of 4 MiB each time.
    std::vector<std::vector<unsigned char>> spare;
    std::size_t next = 0, written = 0;
    bool stop = false;
    const std::size_t ahead = std::size_t(threads) + 1;
    const QByteArray local = QFile::encodeName(input);

    auto reader = [&] {
        detail::QuietGdal quiet;
        DatasetPtr in(GDALDataset::FromHandle(GDALOpenEx(
            local.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
        if (in)
            detail::neverSave(in.get());
        std::vector<unsigned char> buffer;
        for (;;) {
            std::size_t k;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock,
                             [&] { return stop || next >= list.size() || next < written + ahead; });
                if (stop || next >= list.size())
                    return;
                k = next++;
                if (!spare.empty()) {
                    buffer = std::move(spare.back());
                    spare.pop_back();
                }
            }
            const bool ok = in && job.read(in.get(), list[k], buffer);
            std::lock_guard<std::mutex> lock(mutex);
            if (!ok) {
                if (!stop)
                    inputReason = in ? detail::gdalReason("cannot be read")
                                     : detail::gdalReason("cannot be opened again");
                stop = true;
            } else {
                ready[k] = std::move(buffer);
                buffer = {};
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    // A progress reporter may throw to cancel the run: the readers are stopped and joined
    // before the stack unwinds past them.
    struct Joiner
    {
        std::mutex &mutex;
        std::condition_variable &changed;
        bool &stop;
        std::vector<std::thread> &pool;
        ~Joiner()
        {
            {
                std::lock_guard<std::mutex> lock(mutex);
                stop = true;
            }
            changed.notify_all();
            for (std::thread &t : pool)
                if (t.joinable())
                    t.join();
        }
    } joiner {mutex, changed, stop, pool};
    for (int i = 0; i < threads; ++i)
        pool.emplace_back(reader);

    bool ok = true;
    for (std::size_t k = 0; k < list.size(); ++k) {
        std::vector<unsigned char> buffer;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return stop || ready.count(k); });
            if (!ready.count(k)) {
                ok = false;
                break;
            }
            buffer = std::move(ready[k]);
            ready.erase(k);
        }
        if (!job.write(out, list[k], buffer)) {
            outputReason = detail::gdalReason("cannot be written");
            ok = false;
            break;
        }
        progress.done(list[k], out->GetRasterXSize());
        std::lock_guard<std::mutex> lock(mutex);
        ++written;
        spare.push_back(std::move(buffer));
        changed.notify_all();
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!ok)
            stop = true;
        changed.notify_all();
    }
    for (std::thread &t : pool)
        t.join();
    return ok && inputReason.isEmpty();
}

struct ProgressScope
{
    ProgressInterface *progress;
    std::string task;
    ProgressScope(ProgressInterface *p, const QString &output)
        : progress(p)
        , task("Apply tonal curves to " + QFile::encodeName(output).toStdString())
    {
        if (progress)
            progress->starting(task.c_str());
    }
    ~ProgressScope()
    {
        if (progress)
            progress->finished(task.c_str());
    }
};

} // namespace

bool applyTonalCurves(const QString &input, const QString &output, const RasterCurves &curves,
                      const ApplyCurvesOptions &options, ProgressInterface *progress,
                      Failure *failure)
{
    const auto &c = RasterCurvesAccess::get(curves);
    const auto &o = ApplyCurvesOptionsAccess::get(options);
    detail::ensureGdal();
    detail::QuietGdal quiet;

    if (!c.single && c.bands.isEmpty())
        return fail(failure, Failure::other(QString(), QStringLiteral("no tonal curve to apply")));
    if (sameFile(input, output))
        return fail(failure, Failure::other(output, QStringLiteral("is the input itself")));

    DatasetPtr in;
    if (!detail::openRaster(input, in, failure))
        return false;
    const QString unsupported = detail::unsupportedType(in.get());
    if (!unsupported.isEmpty())
        return fail(failure, Failure::other(input, unsupported));
    const int count = in->GetRasterCount();
    const GDALDataType type = in->GetRasterBand(1)->GetRasterDataType();
    const int typeMax = type == GDT_Byte ? 255 : 65535;

    // Which curve each band takes.
    std::vector<const Curve *> chosen(std::size_t(count), static_cast<const Curve *>(nullptr));
    const QStringList codes = c.bands.keys();
    if (!o.bandCodes.isEmpty() && o.bandCodes.size() != count)
        return fail(
            failure,
            Failure::other(input,
                           QStringLiteral("has %1 bands (%2) but %3 band codes were given (%4)")
                               .arg(count)
                               .arg(describeBands(in.get()))
                               .arg(o.bandCodes.size())
                               .arg(o.bandCodes.join(QLatin1Char(',')))));
    QStringList unmatched;
    for (int i = 1; i <= count; ++i) {
        GDALRasterBand *band = in->GetRasterBand(i);
        if (band->GetColorInterpretation() == GCI_PaletteIndex)
            return fail(
                failure,
                Failure::other(input,
                               QStringLiteral("band %1 holds palette indices, not levels").arg(i)));
        if (c.single) {
            chosen[std::size_t(i - 1)] = &c.all;
            continue;
        }
        QString code;
        if (!o.bandCodes.isEmpty()) {
            const QString wanted = o.bandCodes[i - 1].trimmed();
            for (const QString &k : codes)
                if (k.compare(wanted, Qt::CaseInsensitive) == 0)
                    code = k;
            if (code.isEmpty())
                return fail(failure,
                            Failure::other(
                                c.source,
                                QStringLiteral(
                                    "band code %1 (for band %2) is not among the curves' bands %3")
                                    .arg(wanted)
                                    .arg(i)
                                    .arg(codes.join(QStringLiteral(", ")))));
        } else {
            code = matchBand(band, codes);
        }
        if (code.isEmpty()) {
            if (band->GetColorInterpretation() == GCI_AlphaBand)
                continue; // copied unchanged
            unmatched << QString::number(i);
            continue;
        }
        chosen[std::size_t(i - 1)] = &c.bands.find(code).value();
    }
    if (!unmatched.isEmpty())
        return fail(
            failure,
            Failure::other(input,
                           QStringLiteral("bands %1 against curve bands %2: no curve for band %3; "
                                          "name the bands with a band list")
                               .arg(describeBands(in.get()), codes.join(QStringLiteral(", ")),
                                    unmatched.join(QStringLiteral(", ")))));

    // The tables.
    std::vector<BandTable> tables;
    tables.resize(std::size_t(count));
    for (int i = 1; i <= count; ++i) {
        GDALRasterBand *band = in->GetRasterBand(i);
        BandTable &t = tables[std::size_t(i - 1)];
        const Curve *curve = chosen[std::size_t(i - 1)];
        const bool alpha = band->GetColorInterpretation() == GCI_AlphaBand;
        if (!curve || (c.single && alpha)) {
            t.values.resize(std::size_t(typeMax) + 1);
            std::iota(t.values.begin(), t.values.end(), std::uint16_t(0));
            continue;
        }
        int m = curve->maxValue > 0 ? curve->maxValue
            : c.maxValue > 0        ? c.maxValue
                                    : detail::bandMaxValue(band);
        if (m > 65535)
            return fail(
                failure,
                Failure::other(
                    input,
                    QStringLiteral(
                        "band %1: the curve's level of 1.0 (%2) lies beyond the 16-bit range")
                        .arg(i)
                        .arg(m)));
        QString reason;
        if (!buildTable(curve->curve, m, typeMax, QStringLiteral("band %1").arg(i), t, reason))
            return fail(failure, Failure::other(c.source, reason));
        int has = 0;
        const double nodata = band->GetNoDataValue(&has);
        if (has && nodata >= 0 && nodata <= typeMax && nodata == std::floor(nodata))
            keepNodata(t, int(nodata), std::min(m, typeMax));
    }

    // The output.
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName(o.driver.toUtf8().constData());
    if (!driver)
        return fail(
            failure,
            Failure::other(output, QStringLiteral("GDAL has no driver named %1").arg(o.driver)));
    if (!driver->GetMetadataItem(GDAL_DCAP_CREATE) || !driver->GetMetadataItem(GDAL_DCAP_RASTER))
        return fail(
            failure,
            Failure::other(output,
                           QStringLiteral("GDAL's %1 driver does not write rasters block by block")
                               .arg(o.driver)));
    CPLStringList createOptions;
    for (const QString &option : o.creationOptions)
        createOptions.AddString(option.toUtf8().constData());
    const bool gtiff = EQUAL(driver->GetDescription(), "GTiff");
    if (gtiff) {
        const char *nbits = in->GetRasterBand(1)->GetMetadataItem("NBITS", "IMAGE_STRUCTURE");
        if (nbits && !hasOption(createOptions, "NBITS"))
            createOptions.SetNameValue("NBITS", nbits);
        // Unless told otherwise the output keeps the input's tiles and compression.
        int bx = 0, by = 0;
        in->GetRasterBand(1)->GetBlockSize(&bx, &by);
        if (!hasOption(createOptions, "TILED") && !hasOption(createOptions, "BLOCKXSIZE")
            && !hasOption(createOptions, "BLOCKYSIZE") && bx < in->GetRasterXSize() && bx % 16 == 0
            && by % 16 == 0) {
            createOptions.SetNameValue("TILED", "YES");
            createOptions.SetNameValue("BLOCKXSIZE", QByteArray::number(bx).constData());
            createOptions.SetNameValue("BLOCKYSIZE", QByteArray::number(by).constData());
        }
        const char *compression = in->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE");
        static const char *const lossless[] = {"DEFLATE", "LZW",      "ZSTD",
                                               "LZMA",    "PACKBITS", "LERC"};
        if (compression && !hasOption(createOptions, "COMPRESS")
            && std::any_of(std::begin(lossless), std::end(lossless),
                           [&](const char *name) { return EQUAL(name, compression); }))
            createOptions.SetNameValue("COMPRESS", compression);
        if (o.threads > 1 && hasOption(createOptions, "COMPRESS")
            && !hasOption(createOptions, "NUM_THREADS"))
            createOptions.SetNameValue("NUM_THREADS", QByteArray::number(o.threads).constData());
    }

    NamedReplacement replacement(output);
    if (!replacement.open(failure))
        return false;
    const QByteArray writePath = QFile::encodeName(replacement.writePath());
    // What the driver could not put in the file itself it leaves beside it; that file goes with
    // the temporary one unless it is moved beside the output.
    const QString sidecar = replacement.writePath() + QStringLiteral(".aux.xml");
    struct SidecarGuard
    {
        const QString &path;
        bool keep = false;
        ~SidecarGuard()
        {
            if (!keep)
                QFile::remove(path);
        }
    } sidecarGuard {sidecar};
    CPLErrorReset();
    DatasetPtr out(driver->Create(writePath.constData(), in->GetRasterXSize(), in->GetRasterYSize(),
                                  count, type, createOptions.List()));
    if (!out)
        return fail(failure, Failure::other(output, detail::gdalReason("cannot be created")));
    {
        char **files = out->GetFileList();
        const int n = CSLCount(files);
        if (n > 1) {
            out.reset();
            for (int i = 0; i < n; ++i)
                if (writePath != files[i])
                    VSIUnlink(files[i]);
            CSLDestroy(files);
            return fail(
                failure,
                Failure::other(
                    output,
                    QStringLiteral("GDAL's %1 driver writes more than one file").arg(o.driver)));
        }
        CSLDestroy(files);
    }
    copyDescription(in.get(), out.get());

    Job job;
    job.type = type;
    job.bands = count;
    job.sampleBytes = std::size_t(GDALGetDataTypeSizeBytes(type));
    for (const BandTable &t : tables)
        job.tables.push_back(t.values.data());
    const std::vector<Window> list =
        windows(in.get(), out.get(), std::size_t(count) * job.sampleBytes);

    ProgressScope scope(progress, output);
    if (progress)
        progress->totalAmount(in->GetRasterYSize(), "rows");
    Progress rows {progress};
    QString inputReason, outputReason;
    bool ok;
    if (o.threads <= 1) {
        ok = runSequential(in.get(), out.get(), job, list, rows, inputReason, outputReason);
    } else {
        in.reset();
        ok = runThreaded(input, out.get(), job, list, o.threads, rows, inputReason, outputReason);
    }
    if (!ok) {
        out.reset();
        if (!inputReason.isEmpty())
            return fail(failure, Failure::other(input, inputReason));
        return fail(failure, Failure::other(output, outputReason));
    }
    CPLErrorReset();
    out.reset(); // closing writes what is left
    if (CPLGetLastErrorType() >= CE_Failure)
        return fail(failure, Failure::other(output, detail::gdalReason("cannot be written")));

    const bool hasSidecar = QFileInfo::exists(sidecar);
    if (!replacement.commit(failure))
        return false;
    const QString outputSidecar = output + QStringLiteral(".aux.xml");
    if (hasSidecar) {
        if (::rename(QFile::encodeName(sidecar).constData(),
                     QFile::encodeName(outputSidecar).constData())
            != 0) {
            const int error = errno;
            QFile::remove(sidecar);
            return fail(failure, Failure::system(error, outputSidecar));
        }
    } else if (QFileInfo::exists(outputSidecar)) {
        QFile::remove(outputSidecar); // it described the old content
    }
    return true;
}

} // namespace util
