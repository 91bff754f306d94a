// quorutil sup: show support files, export them as level 1 or level 2.

#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/support/SupportFile.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <ctime>
#include <ostream>
#include <string>
#include <vector>

namespace quorutil {

namespace {

using util::SupportFile;

const char *const supUsage =
    "Usage: quorutil sup show FILE... [--json]\n"
    "       quorutil sup export FILE --level 1|2 -o OUT [--relative-names] [--no-level0-name]\n"
    "\n"
    "  show     print the detected level and every field of each support file;\n"
    "           --json prints a JSON array with one object per file\n"
    "  export   read FILE and write it as a level-1 or level-2 support file to OUT\n"
    "           (OUT is replaced only when the whole file could be written)\n"
    "           --relative-names   image file names relative to the folder of OUT (level 1)\n"
    "           --no-level0-name   leave out the LEVEL_0_NAME line (level 1)\n";

int usageError(std::ostream &err, const std::string &message)
{
    err << "quorutil sup: " << message << "\n\n" << supUsage;
    return ExitUsage;
}

bool isHelp(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

bool isOption(const QString &arg)
{
    return arg.size() > 1 && arg.startsWith(QLatin1Char('-'));
}

// One line naming the file and the reason, or "" when the file can be read.
std::string unreadableReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return "No such file or directory";
    if (info.isDir())
        return "Is a directory";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString().toStdString();
    return {};
}

const char *levelName(int level)
{
    switch (level) {
    case 0:
        return "raw sensor image";
    case 1:
        return "rectified image";
    case 2:
        return "orthophoto";
    default:
        return "unsupported";
    }
}

std::string numberText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

// --- Every field of a record, in field order, to a sink --------------------------------------

class FieldSink
{
public:
    virtual ~FieldSink() = default;
    virtual void section(const char *title) = 0;
    virtual void text(const char *key, const char *label, const std::string &value) = 0;
    virtual void integer(const char *key, const char *label, long long value) = 0;
    virtual void numbers(const char *key, const char *label, const double *values,
                         std::size_t count, bool list) = 0;
    virtual void flag(const char *key, const char *label, bool value) = 0;
    virtual void date(const char *key, const char *label, std::int64_t value) = 0;
    virtual void images(const std::vector<SupportFile::ImageMinification> &images) = 0;

    void number(const char *key, const char *label, double value)
    {
        numbers(key, label, &value, 1, false);
    }
    template<std::size_t N>
    void numbers(const char *key, const char *label, const std::array<double, N> &values)
    {
        numbers(key, label, values.data(), N, true);
    }
};

void describe(const SupportFile &r, FieldSink &s)
{
    s.section("Every level");
    s.text("supportFileTag", "Support file tag", r.getSupportFileTag());
    s.text("imageID", "Image ID", r.getImageID());
    s.images(r.getImageMinifications());
    s.numbers("rectificationTerms", "Rectification terms", r.getRectificationTerms());
    s.numbers("groundBias", "Ground bias", r.getGroundBias());
    s.number("bias", "Bias", r.getBias());
    s.number("gain", "Gain", r.getGain());
    s.numbers("groundZero", "Ground zero", r.getGroundZero());
    s.numbers("loadPoint", "Load point", r.getLoadPoint());
    s.integer("coordSystem", "Coordinate system", r.getCoordSystem());
    s.integer("unit", "Units", r.getUnit());
    s.integer("useFastMath", "Use fast math", r.getUseFastMath());
    s.number("minElevation", "Minimum elevation", r.getMinElevation());
    s.number("maxElevation", "Maximum elevation", r.getMaxElevation());
    s.integer("imageMotion", "Image motion", r.getImageMotion());
    s.integer("initialized", "Initialized", r.getInitialized());
    s.integer("status", "Status", r.getStatus());
    s.date("photoDate", "Photo date", r.getPhotoDate());
    s.integer("quality", "Quality", r.getQuality());
    s.text("sensorType", "Sensor type", SupportFile::keyword(r.getSensorType()));

    s.section("Levels 0 and 1");
    s.number("meanTerrainHeight", "Mean terrain height", r.getMeanTerrainHeight());
    s.number("anchorLatitude", "Anchor latitude", r.getAnchorLatitude());
    s.number("anchorLongitude", "Anchor longitude", r.getAnchorLongitude());
    s.flag("lineStaggered", "Line staggered", r.getLineStaggered());
    s.text("viewOfLine", "View of line", SupportFile::keyword(r.getViewOfLine()));
    s.text("radiometricProperty", "Radiometric property",
           SupportFile::keyword(r.getRadiometricProperty()));
    s.date("imageDate", "Image date", r.getImageDate());
    s.integer("numberScanLines", "Number of scan lines", r.getNumberScanLines());
    s.flag("sensorRotation", "Sensor rotation", r.getSensorRotation());
    s.text("correction", "Correction", SupportFile::keyword(r.getCorrection()));
    s.number("l0GSD", "Level-0 GSD", r.getL0GSD());
    s.text("originalOrientation", "Original orientation", r.getOriginalOdfFile());
    s.text("adjustedOrientation", "Adjusted orientation", r.getAdjustedOdfFile());
    s.text("originalCalibration", "Original calibration", r.getOriginalCalibration());
    s.text("adjustedCalibration", "Adjusted calibration", r.getAdjustedCalibration());
    s.numbers("localOrigin", "Local origin", r.getLocalOrigin());
    s.numbers("localOriginBasis", "Local origin basis", r.getLocalOriginBasis());

    s.section("Level 1");
    s.text("l0ImageName", "Level-0 image name", r.getL0ImageName());
    s.number("rectScale", "Rectification scale", r.getRectScale());
    s.number("rectRotation", "Rectification rotation", r.getRectRotation());
    s.number("rectXOffset", "Rectification x offset", r.getRectXOffset());
    s.number("rectYOffset", "Rectification y offset", r.getRectYOffset());
    s.number("rectHeight", "Rectification height", r.getRectHeight());
    s.flag("rectUseCalibration", "Rectification uses calib.", r.getRectUseCalibration());
    s.numbers("footprintRange", "Footprint (LL s, l, UR s, l)", r.getFootprintRange());

    s.section("Level 2");
    s.number("latRef", "Latitude reference", r.getLatRef());
    s.number("latScale", "Latitude scale", r.getLatScale());
    s.number("lonRef", "Longitude reference", r.getLonRef());
    s.number("lonScale", "Longitude scale", r.getLonScale());
    s.number("heightRef", "Height reference", r.getHeightRef());
    s.number("heightScale", "Height scale", r.getHeightScale());
    s.number("lineRef", "Line reference", r.getLineRef());
    s.number("lineScale", "Line scale", r.getLineScale());
    s.number("sampleRef", "Sample reference", r.getSampleRef());
    s.number("sampleScale", "Sample scale", r.getSampleScale());
    s.numbers("poly20Line", "Line polynomial", r.getPoly20Line());
    s.numbers("poly20Sample", "Sample polynomial", r.getPoly20Sample());
    s.number("interlineDistance", "Interline distance", r.getInterlineDistance());
    s.number("interpixelDistance", "Interpixel distance", r.getInterpixelDistance());
    s.text("ellipsoid", "Ellipsoid", r.getEllipsoid());
    s.integer("verticalReference", "Vertical reference", r.getVerticalReference());
    s.number("ellipsoidSemiMajorAxis", "Semi-major axis", r.getEllipsoidSemiMajorAxis());
    s.number("ellipsoidEccentricity", "Eccentricity", r.getEllipsoidEccentricity());
    s.numbers("ellipsoidCenter", "Ellipsoid centre", r.getEllipsoidCenter());
    s.text("projectionType", "Projection type", r.getProjectionType());
    s.integer("projectionZone", "Zone", r.getProjectionZone());
    s.number("middleLatitude", "Middle latitude", r.getMiddleLatitude());
    s.number("centralMeridian", "Central meridian", r.getCentralMeridian());
    s.number("centralScaleFactor", "Central scale factor", r.getCentralScaleFactor());
    s.number("standardParallel1", "Standard parallel 1", r.getStandardParallel1());
    s.number("standardParallel2", "Standard parallel 2", r.getStandardParallel2());
    s.number("originLatitude", "Origin latitude", r.getOriginLatitude());
    s.number("originLongitude", "Origin longitude", r.getOriginLongitude());
    s.number("falseNorthingPos", "False northing (pos.)", r.getFalseNorthingPos());
    s.number("falseNorthingNeg", "False northing (neg.)", r.getFalseNorthingNeg());
    s.number("falseEastingPos", "False easting (pos.)", r.getFalseEastingPos());
    s.number("falseEastingNeg", "False easting (neg.)", r.getFalseEastingNeg());
    s.text("gridName", "Grid name", r.getGridName());
}

// --- Text for a person (numbers never go through the stream: its locale may group digits)
// ---------------------------------------------------------------------

class TextSink : public FieldSink
{
public:
    explicit TextSink(std::ostream &out)
        : m_out(out)
    {
    }

    void section(const char *title) override { m_out << "  " << title << "\n"; }
    void text(const char *, const char *label, const std::string &value) override
    {
        line(label, value);
    }
    void integer(const char *, const char *label, long long value) override
    {
        line(label, std::to_string(value));
    }
    void numbers(const char *, const char *label, const double *values, std::size_t count,
                 bool) override
    {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += (i ? " " : "") + numberText(values[i]);
        line(label, text);
    }
    void flag(const char *, const char *label, bool value) override
    {
        line(label, value ? "yes" : "no");
    }
    void date(const char *, const char *label, std::int64_t value) override
    {
        std::string text = std::to_string(value);
        const std::time_t t = static_cast<std::time_t>(value);
        std::tm tm;
        char buf[64];
        // Numeric strftime fields and %Z do not depend on the locale.
        if (localtime_r(&t, &tm) && std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %Z", &tm))
            text = std::string(buf) + " (" + text + ")";
        line(label, text);
    }
    void images(const std::vector<SupportFile::ImageMinification> &images) override
    {
        line("Image files", std::to_string(images.size()));
        for (const auto &image : images) {
            m_out << "      level " << std::to_string(image.level) << ": \"" << image.fileName
                  << "\", " << std::to_string(image.lines) << " lines x "
                  << std::to_string(image.samples) << " samples\n";
        }
    }

private:
    void line(const char *label, const std::string &value)
    {
        std::string padded = std::string("    ") + label + ":";
        if (value.empty()) {
            m_out << padded << "\n";
            return;
        }
        if (padded.size() < 36)
            padded.resize(36, ' ');
        else
            padded += ' ';
        m_out << padded << value << "\n";
    }

    std::ostream &m_out;
};

// --- JSON for scripts ------------------------------------------------------------------------

std::string jsonString(const std::string &bytes)
{
    // The record holds 8-bit text; JSON wants UTF-8, so invalid sequences become U+FFFD.
    const QByteArray utf8 = QString::fromStdString(bytes).toUtf8();
    std::string out = "\"";
    for (const char c : utf8) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 15];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value)
{
    return std::isfinite(value) ? numberText(value) : "null";
}

class JsonSink : public FieldSink
{
public:
    void section(const char *) override { }
    void text(const char *key, const char *, const std::string &value) override
    {
        member(key, jsonString(value));
    }
    void integer(const char *key, const char *, long long value) override
    {
        member(key, std::to_string(value));
    }
    void numbers(const char *key, const char *, const double *values, std::size_t count,
                 bool list) override
    {
        if (!list) {
            member(key, jsonNumber(values[0]));
            return;
        }
        std::string text = "[";
        for (std::size_t i = 0; i < count; ++i)
            text += (i ? ", " : "") + jsonNumber(values[i]);
        member(key, text + "]");
    }
    void flag(const char *key, const char *, bool value) override
    {
        member(key, value ? "true" : "false");
    }
    void date(const char *key, const char *, std::int64_t value) override
    {
        member(key, std::to_string(value));
    }
    void images(const std::vector<SupportFile::ImageMinification> &images) override
    {
        std::string text = "[";
        for (std::size_t i = 0; i < images.size(); ++i) {
            const auto &image = images[i];
            text += std::string(i ? ", " : "") + "{\"level\": " + std::to_string(image.level)
                + ", \"fileName\": " + jsonString(image.fileName)
                + ", \"lines\": " + std::to_string(image.lines)
                + ", \"samples\": " + std::to_string(image.samples) + "}";
        }
        member("imageFiles", text + "]");
    }

    void member(const char *key, const std::string &value)
    {
        m_text +=
            std::string(m_text.empty() ? "" : ",\n") + "    " + jsonString(key) + ": " + value;
    }
    std::string object() const { return "  {\n" + m_text + "\n  }"; }

private:
    std::string m_text;
};

// --- Commands ---------------------------------------------------------------------------------

int showCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    bool json = false;
    QStringList files;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (isOption(arg))
            return usageError(err, "unknown option '" + arg.toStdString() + "'");
        else
            files << arg;
    }
    if (files.isEmpty())
        return usageError(err, "show needs at least one FILE");

    int result = ExitOk;
    std::vector<std::string> objects;
    bool first = true;
    for (const QString &file : files) {
        const std::string reason = unreadableReason(file);
        if (!reason.empty()) {
            err << "quorutil sup: cannot read " << file.toStdString() << ": " << reason << "\n";
            result = ExitFailure;
            continue;
        }
        SupportFile record;
        const int level = record.loadFile(QFile::encodeName(file).toStdString());
        if (json) {
            JsonSink sink;
            sink.member("file", jsonString(file.toStdString()));
            sink.member("level", std::to_string(level));
            describe(record, sink);
            objects.push_back(sink.object());
        } else {
            if (!first)
                out << "\n";
            first = false;
            out << file.toStdString() << "\n";
            out << "  Level: " << std::to_string(level) << " (" << levelName(level) << ")\n";
            TextSink sink(out);
            describe(record, sink);
        }
    }
    if (json) {
        out << "[";
        for (std::size_t i = 0; i < objects.size(); ++i)
            out << (i ? ",\n" : "\n") << objects[i];
        out << (objects.empty() ? "]\n" : "\n]\n");
    }
    out.flush();
    return result;
}

int exportCommand(const QStringList &args, std::ostream &err)
{
    QString input, output;
    int level = 0;
    bool relativeNames = false;
    bool level0Name = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--level") || arg == QLatin1String("-o")) {
            if (i + 1 >= args.size())
                return usageError(err, arg.toStdString() + " needs a value");
            const QString value = args[++i];
            if (arg == QLatin1String("-o")) {
                output = value;
            } else if (value == QLatin1String("1") || value == QLatin1String("2")) {
                level = value.toInt();
            } else {
                return usageError(err, "--level must be 1 or 2, not '" + value.toStdString() + "'");
            }
        } else if (arg == QLatin1String("--relative-names")) {
            relativeNames = true;
        } else if (arg == QLatin1String("--no-level0-name")) {
            level0Name = false;
        } else if (isOption(arg)) {
            return usageError(err, "unknown option '" + arg.toStdString() + "'");
        } else if (input.isEmpty()) {
            input = arg;
        } else {
            return usageError(err, "export takes one FILE");
        }
    }
    if (input.isEmpty())
        return usageError(err, "export needs a FILE");
    if (level == 0)
        return usageError(err, "export needs --level 1 or --level 2");
    if (output.isEmpty())
        return usageError(err, "export needs -o OUT");
    if (level == 2 && (relativeNames || !level0Name))
        return usageError(err, "--relative-names and --no-level0-name apply to --level 1 only");

    const std::string reason = unreadableReason(input);
    if (!reason.empty()) {
        err << "quorutil sup: cannot read " << input.toStdString() << ": " << reason << "\n";
        return ExitFailure;
    }
    SupportFile record;
    const int inputLevel = record.loadFile(QFile::encodeName(input).toStdString());
    if (inputLevel < 0 || inputLevel > 2) {
        err << "quorutil sup: cannot read " << input.toStdString() << ": unsupported image level "
            << std::to_string(inputLevel) << "\n";
        return ExitFailure;
    }

    const std::string text = level == 1 ? record.formatL1SupportFile(
                                 QFile::encodeName(output).toStdString(), level0Name, relativeNames)
                                        : record.formatL2SupportFile();
    QString writeError;
    if (!util::writeFileAtomically(output, text.data(), text.size(), &writeError)) {
        err << "quorutil sup: cannot write " << output.toStdString() << ": "
            << writeError.toStdString() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

int supCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    for (const QString &arg : args) {
        if (isHelp(arg)) {
            out << supUsage;
            return ExitOk;
        }
    }
    if (args.isEmpty())
        return usageError(err, "missing subcommand");
    const QString sub = args.first();
    if (sub == QLatin1String("show"))
        return showCommand(args.mid(1), out, err);
    if (sub == QLatin1String("export"))
        return exportCommand(args.mid(1), err);
    return usageError(err, "unknown subcommand '" + sub.toStdString() + "'");
}

} // namespace quorutil
