// Writing level-1 and level-2 support files. The text is built in memory with the
// locale-independent number formatters and written in one go.

#include "util/support/SupportFile.h"

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileFields_p.h"
#include "util/support/SupportFileIO_p.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <ctime>
#include <filesystem>

// Keywords as the field table spells them; a keyword the table lacks does not compile.
#define KW(word) QUOR_SUPPORT_KEYWORD(word)

namespace util {

namespace {

std::string lowerCase(std::string text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The file's text, one row at a time: a label, its value and the line end.
class Text
{
public:
    Text() { m_out.reserve(4096); }

    Text &line(const char *label, const std::string &value = std::string())
    {
        m_out += label;
        m_out += value;
        m_out += '\n';
        return *this;
    }
    /// A keyword, so many spaces, the value and the line end.
    Text &row(const char *keyword, int spaces, const std::string &value = std::string())
    {
        m_out += keyword;
        m_out.append(static_cast<std::size_t>(spaces), ' ');
        m_out += value;
        m_out += '\n';
        return *this;
    }
    /// Text without a line end of its own (a value that brings its own).
    Text &raw(const std::string &text)
    {
        m_out += text;
        return *this;
    }

    /// sci14, or sci16 after setSciDigits(16).
    std::string sci(double value) const { return formatScientific(value, m_sciDigits); }
    /// Values separated by single spaces, or each preceded by one space.
    template<typename Values> std::string sci(const Values &values, bool eachPreceded) const
    {
        std::string text;
        for (double v : values) {
            if (eachPreceded || !text.empty())
                text += ' ';
            text += sci(v);
        }
        return text;
    }

    void setSciDigits(int digits) { m_sciDigits = digits; }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
    int m_sciDigits = 14;
};

std::string integer(int value)
{
    return std::to_string(value);
}

std::string fixed(double value, int decimals)
{
    return formatFixed(value, decimals);
}

std::string flag(bool value)
{
    return value ? "TRUE" : "FALSE";
}

constexpr bool joined = false;
constexpr bool spaced = true;

// The C library's ctime text, newline included, or "" for a time that ctime cannot format
// (its year must fit four characters).
std::string ctimeText(std::int64_t value)
{
    // localtime_r (inside ctime_r) does not pick up a changed TZ by itself.
    tzset();
    const std::time_t t = static_cast<std::time_t>(value);
    char buf[64];
    const char *text = ctime_r(&t, buf);
    return text ? std::string(text) : std::string();
}

std::string withoutNewline(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// File names are bytes, not necessarily UTF-8: Latin-1 maps each byte to one character and
// back, so every byte of a name that is not cut away comes through unchanged.
QString fromBytes(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
}

// The folder that holds path, made absolute on the byte level (QDir would decode the current
// folder as UTF-8 and the names as Latin-1, and then no longer find one inside the other).
QDir folderOf(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return QDir(QFileInfo(fromBytes(path)).absolutePath());
    return QDir(fromBytes(absolute.parent_path().string()));
}

std::string relativeTo(const QDir &dir, const std::string &name)
{
    return dir.relativeFilePath(fromBytes(name)).toLatin1().toStdString();
}

void writeOpening(Text &out, const SupportFile &r, const QDir *relativeDir)
{
    // The first keyword alone is written in lower case, as the suite's files have it.
    out.row(lowerCase(KW("SUPPORT_FILE")).c_str(), 1, r.getSupportFileTag());
    out.row(KW("IMAGE_ID"), 1, '"' + r.getImageID() + '"');
    for (const SupportFile::ImageMinification &image : r.getImageMinifications()) {
        const std::string name =
            relativeDir ? relativeTo(*relativeDir, image.fileName) : image.fileName;
        out.row(KW("IMAGE_FILE_NAME"), 1, integer(image.level) + " \"" + name + '"');
        out.row(detail::linesKeyword.data(), 3, integer(image.lines));
        out.row(detail::samplesKeyword.data(), 1, integer(image.samples));
    }
    const auto &t = r.getRectificationTerms();
    out.row(KW("RECTIFICATION_TERMS"), 0);
    out.line("\t", out.sci(std::array<double, 3> {t[0], t[1], t[2]}, joined));
    out.line("\t", out.sci(std::array<double, 3> {t[3], t[4], t[5]}, joined));
    out.row(KW("GRND_BIAS"), 1, out.sci(r.getGroundBias(), joined));
    out.row(KW("BIAS"), 1, fixed(r.getBias(), 6) + ' ' + KW("GAIN") + ' ' + fixed(r.getGain(), 6));
    out.row(KW("GROUND_ZERO"), 1, out.sci(r.getGroundZero(), joined));
    out.row(KW("LOAD_PT"), 1, out.sci(r.getLoadPoint(), joined));
    out.row(KW("COORD_SYSTEM"), 1, integer(r.getCoordSystem()));
    out.row(KW("UNITS"), 1, integer(r.getUnit()));
    out.row(KW("USE_FAST_MATH"), 1, integer(r.getUseFastMath()));
    out.row(KW("MAX_AND_MIN_ELEVATION"), 1,
            fixed(r.getMinElevation(), 1) + "   " + fixed(r.getMaxElevation(), 1));
    out.row(KW("IMAGE_MOTION"), 1, integer(r.getImageMotion()));
    out.row(KW("INITIALIZED"), 1, integer(r.getInitialized()));
    out.row(KW("STATUS"), 1, integer(r.getStatus()));
    out.row(KW("PHOTO_DATE"), 1, '"' + withoutNewline(ctimeText(r.getPhotoDate())) + '"');
    out.row(KW("QUALITY"), 1, integer(r.getQuality()));
    out.row(KW("SENSOR_TYPE"), 1, SupportFile::keyword(r.getSensorType()));
}

void writeOptionalPath(Text &out, const char *keyword, const std::string &path)
{
    if (!path.empty())
        out.row(keyword, 3, path);
}

} // namespace

std::string SupportFile::formatL1SupportFile(const std::string &path, bool writeLevel0Name,
                                             bool relativeImageNames) const
{
    Text out;
    if (relativeImageNames) {
        const QDir dir = folderOf(path);
        writeOpening(out, *this, &dir);
    } else {
        writeOpening(out, *this, nullptr);
    }

    out.row(KW("IMAGE_LEVEL"), 3, "1");
    out.row(KW("MEAN_TERRAIN_HEIGHT"), 5, fixed(m_meanTerrainHeight, 6));
    out.row(KW("ANCHOR_LATITUDE"), 4, fixed(m_anchorLatitude, 12));
    out.row(KW("ANCHOR_LONGITUDE"), 3, fixed(m_anchorLongitude, 12));
    out.row(KW("LINE_STAGGERED"), 3, flag(m_lineStaggered));
    out.row(KW("VIEW_OF_LINE"), 3, keyword(m_viewOfLine));
    out.row(KW("RADIOMETRIC_PROPERTY"), 3, keyword(m_radiometricProperty));
    // ctime's own newline ends this line; an unformattable date still gets its line end.
    const std::string imageDate = ctimeText(m_imageDate);
    out.raw(KW("IMAGE_DATE") + std::string(3, ' ')
            + (imageDate.empty() ? std::string("\n") : imageDate));
    out.row(KW("NUMBER_SCAN_LINES"), 3, integer(m_numberScanLines));
    out.row(KW("SENSOR_ROTATION"), 3, flag(m_sensorRotation));
    out.row(KW("CORRECTION"), 3, keyword(m_correction));
    out.row(KW("LEVEL_0_GSD"), 5, fixed(m_l0GSD, 8));
    writeOptionalPath(out, KW("ORIGINAL_ORIENTATION"), m_originalOrientation);
    writeOptionalPath(out, KW("ADJUSTED_ORIENTATION"), m_adjustedOrientation);
    writeOptionalPath(out, KW("ORIGINAL_CALIBRATION"), m_originalCalibration);
    writeOptionalPath(out, KW("ADJUSTED_CALIBRATION"), m_adjustedCalibration);
    if (writeLevel0Name)
        writeOptionalPath(out, KW("LEVEL_0_NAME"), m_l0ImageName);
    out.row(KW("RECT_SCALE"), 5, fixed(m_rectScale, 8));
    out.row(KW("RECT_ROTATION"), 5, fixed(m_rectRotation, 8));
    out.row(KW("RECT_XOFFSET"), 3, fixed(m_rectXOffset, 8));
    out.row(KW("RECT_YOFFSET"), 3, fixed(m_rectYOffset - 1.0, 8)); // the file counts from 0
    out.row(KW("RECT_HEIGHT"), 3, fixed(m_rectHeight, 8));
    out.row(KW("RECT_USE_CALIBRATION"), 1, flag(m_rectUseCalibration));
    out.row(KW("FOOTPRINT_LL_SAMPLE"), 5, fixed(m_footprintRange[0], 8));
    out.row(KW("FOOTPRINT_LL_LINE"), 5, fixed(m_footprintRange[1], 8));
    out.row(KW("FOOTPRINT_UR_SAMPLE"), 5, fixed(m_footprintRange[2], 8));
    out.row(KW("FOOTPRINT_UR_LINE"), 5, fixed(m_footprintRange[3], 8));
    out.row(KW("LOCAL_ORIGIN"), 6, out.sci(m_localOrigin, joined));
    out.row(KW("BASIS"), 12, out.sci(m_localOriginBasis, spaced));
    return out.take();
}

std::string SupportFile::formatL2SupportFile() const
{
    Text out;
    writeOpening(out, *this, nullptr);

    if (m_interlineDistance != 0) {
        // A georeferenced grid: the cell size replaces the polynomial description.
        out.row(KW("LAT_REF"), 1, out.sci(m_latRef));
        out.row(KW("LON_REF"), 1, out.sci(m_lonRef));
        out.row(KW("INTERLINE_DIST"), 1, out.sci(m_interlineDistance));
        out.row(KW("INTERPIXEL_DIST"), 1, out.sci(m_interpixelDistance));
    } else {
        out.row(KW("LAT_REF"), 1, out.sci(m_latRef));
        out.row(KW("LAT_SCALE"), 1, out.sci(m_latScale));
        out.row(KW("LON_REF"), 1, out.sci(m_lonRef));
        out.row(KW("LON_SCALE"), 1, out.sci(m_lonScale));
        out.row(KW("H_REF"), 1, out.sci(m_heightRef));
        out.row(KW("H_SCALE"), 1, out.sci(m_heightScale));
        out.row(KW("L_REF"), 1, out.sci(m_lineRef));
        out.row(KW("L_SCALE"), 1, out.sci(m_lineScale));
        out.row(KW("S_REF"), 1, out.sci(m_sampleRef));
        out.row(KW("S_SCALE"), 1, out.sci(m_sampleScale));
        out.row(KW("POLY20_LINE"), 0, out.sci(m_poly20Line, spaced));
        out.row(KW("POLY20_SAMP"), 0, out.sci(m_poly20Sample, spaced));
    }
    out.row(KW("ELLIPSOID"), 1, m_ellipsoid);
    out.row(KW("VERTICAL_REFERENCE"), 1, integer(m_verticalReference));
    out.row(KW("A_EARTH"), 1, out.sci(m_ellipsoidSemiMajorAxis));
    out.row(KW("E_EARTH"), 1, out.sci(m_ellipsoidEccentricity));
    out.row(KW("ELLIPSOID_CENTER"), 1, out.sci(m_ellipsoidCenter, spaced));
    out.row(KW("PROJECTION_TYPE"), 1, m_projectionType);

    out.setSciDigits(16);
    const bool transverseMercator = m_projectionType == "TRANSVERSE_MERCATOR_PROJECTION";
    if (m_projectionType == "UTM_PROJECTION") {
        out.row(KW("ZONE"), 1, integer(m_projectionZone));
    } else if (transverseMercator) {
        out.row(KW("MIDDLE_LATITUDE"), 1, out.sci(m_middleLatitude));
        out.row(KW("CENTRAL_MERIDIAN"), 1, out.sci(m_centralMeridian));
        out.row(KW("CENTRAL_SCALE_FACTOR"), 1, out.sci(m_centralScaleFactor));
    } else if (m_projectionType == "LAMBERT_CONFORMAL_PROJECTION") {
        out.row(KW("STANDARD_PARALLEL1"), 1, out.sci(m_standardParallel1));
        out.row(KW("STANDARD_PARALLEL2"), 1, out.sci(m_standardParallel2));
        out.row(KW("ORIGIN_LATITUDE"), 1, out.sci(m_originLatitude));
        out.row(KW("ORIGIN_LONGITUDE"), 1, out.sci(m_originLongitude));
    }
    out.row(KW("FALSE_NORTHING_POS"), 1, out.sci(m_falseNorthingPos));
    out.row(KW("FALSE_NORTHING_NEG"), 1, out.sci(m_falseNorthingNeg));
    out.row(KW("FALSE_EASTING_POS"), 2, out.sci(m_falseEastingPos));
    out.row(KW("FALSE_EASTING_NEG"), 2, out.sci(m_falseEastingNeg));
    if (transverseMercator)
        out.row(KW("GRID_NAME"), 0);
    else
        out.row(KW("GRID_NAME"), 1, m_gridName);
    return out.take();
}

bool SupportFile::exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                                      bool relativeImageNames)
{
    return exportL1SupportFile(path, writeLevel0Name, relativeImageNames,
                               static_cast<Failure *>(nullptr));
}

bool SupportFile::exportL2SupportFile(const std::string &path)
{
    return exportL2SupportFile(path, static_cast<Failure *>(nullptr));
}

bool SupportFile::exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                                      bool relativeImageNames, Failure *failure)
{
    m_imageLevel = 1;
    return detail::writeWholeFile(
        path, formatL1SupportFile(path, writeLevel0Name, relativeImageNames), failure);
}

bool SupportFile::exportL2SupportFile(const std::string &path, Failure *failure)
{
    m_imageLevel = 2;
    return detail::writeWholeFile(path, formatL2SupportFile(), failure);
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

bool SupportFile::exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                                      bool relativeImageNames, QString *errorString)
{
    Failure failure;
    const bool ok = exportL1SupportFile(path, writeLevel0Name, relativeImageNames, &failure);
    if (!ok && errorString)
        *errorString = failure.text();
    return ok;
}

bool SupportFile::exportL2SupportFile(const std::string &path, QString *errorString)
{
    Failure failure;
    const bool ok = exportL2SupportFile(path, &failure);
    if (!ok && errorString)
        *errorString = failure.text();
    return ok;
}

} // namespace util
