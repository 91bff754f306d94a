// Writing level-1 and level-2 support files. The text is built in memory with the
// locale-independent number formatters and written in one go.

#include "util/support/SupportFile.h"

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileIO_p.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <ctime>
#include <filesystem>

namespace util {

namespace {

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
    out.line("support_file ", r.getSupportFileTag());
    out.line("IMAGE_ID \"", r.getImageID() + '"');
    for (const SupportFile::ImageMinification &image : r.getImageMinifications()) {
        const std::string name =
            relativeDir ? relativeTo(*relativeDir, image.fileName) : image.fileName;
        out.line("IMAGE_FILE_NAME ", integer(image.level) + " \"" + name + '"');
        out.line("LINES   ", integer(image.lines));
        out.line("SAMPLES ", integer(image.samples));
    }
    const auto &t = r.getRectificationTerms();
    out.line("RECTIFICATION_TERMS");
    out.line("\t", out.sci(std::array<double, 3> {t[0], t[1], t[2]}, joined));
    out.line("\t", out.sci(std::array<double, 3> {t[3], t[4], t[5]}, joined));
    out.line("GRND_BIAS ", out.sci(r.getGroundBias(), joined));
    out.line("BIAS ", fixed(r.getBias(), 6) + " GAIN " + fixed(r.getGain(), 6));
    out.line("GROUND_ZERO ", out.sci(r.getGroundZero(), joined));
    out.line("LOAD_PT ", out.sci(r.getLoadPoint(), joined));
    out.line("COORD_SYSTEM ", integer(r.getCoordSystem()));
    out.line("UNITS ", integer(r.getUnit()));
    out.line("USE_FAST_MATH ", integer(r.getUseFastMath()));
    out.line("MAX_AND_MIN_ELEVATION ",
             fixed(r.getMinElevation(), 1) + "   " + fixed(r.getMaxElevation(), 1));
    out.line("IMAGE_MOTION ", integer(r.getImageMotion()));
    out.line("INITIALIZED ", integer(r.getInitialized()));
    out.line("STATUS ", integer(r.getStatus()));
    out.line("PHOTO_DATE \"", withoutNewline(ctimeText(r.getPhotoDate())) + '"');
    out.line("QUALITY ", integer(r.getQuality()));
    out.line("SENSOR_TYPE ", SupportFile::keyword(r.getSensorType()));
}

void writeOptionalPath(Text &out, const char *label, const std::string &path)
{
    if (!path.empty())
        out.line(label, path);
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

    out.line("IMAGE_LEVEL   1");
    out.line("MEAN_TERRAIN_HEIGHT     ", fixed(m_meanTerrainHeight, 6));
    out.line("ANCHOR_LATITUDE    ", fixed(m_anchorLatitude, 12));
    out.line("ANCHOR_LONGITUDE   ", fixed(m_anchorLongitude, 12));
    out.line("LINE_STAGGERED   ", flag(m_lineStaggered));
    out.line("VIEW_OF_LINE   ", keyword(m_viewOfLine));
    out.line("RADIOMETRIC_PROPERTY   ", keyword(m_radiometricProperty));
    // ctime's own newline ends this line; an unformattable date still gets its line end.
    const std::string imageDate = ctimeText(m_imageDate);
    out.raw("IMAGE_DATE   " + (imageDate.empty() ? std::string("\n") : imageDate));
    out.line("NUMBER_SCAN_LINES   ", integer(m_numberScanLines));
    out.line("SENSOR_ROTATION   ", flag(m_sensorRotation));
    out.line("CORRECTION   ", keyword(m_correction));
    out.line("LEVEL_0_GSD     ", fixed(m_l0GSD, 8));
    writeOptionalPath(out, "ORIGINAL_ORIENTATION   ", m_originalOrientation);
    writeOptionalPath(out, "ADJUSTED_ORIENTATION   ", m_adjustedOrientation);
    writeOptionalPath(out, "ORIGINAL_CALIBRATION   ", m_originalCalibration);
    writeOptionalPath(out, "ADJUSTED_CALIBRATION   ", m_adjustedCalibration);
    if (writeLevel0Name)
        writeOptionalPath(out, "LEVEL_0_NAME   ", m_l0ImageName);
    out.line("RECT_SCALE     ", fixed(m_rectScale, 8));
    out.line("RECT_ROTATION     ", fixed(m_rectRotation, 8));
    out.line("RECT_XOFFSET   ", fixed(m_rectXOffset, 8));
    out.line("RECT_YOFFSET   ", fixed(m_rectYOffset - 1.0, 8)); // the file counts from 0
    out.line("RECT_HEIGHT   ", fixed(m_rectHeight, 8));
    out.line("RECT_USE_CALIBRATION ", flag(m_rectUseCalibration));
    out.line("FOOTPRINT_LL_SAMPLE     ", fixed(m_footprintRange[0], 8));
    out.line("FOOTPRINT_LL_LINE     ", fixed(m_footprintRange[1], 8));
    out.line("FOOTPRINT_UR_SAMPLE     ", fixed(m_footprintRange[2], 8));
    out.line("FOOTPRINT_UR_LINE     ", fixed(m_footprintRange[3], 8));
    out.line("LOCAL_ORIGIN      ", out.sci(m_localOrigin, joined));
    out.line("BASIS            ", out.sci(m_localOriginBasis, spaced));
    return out.take();
}

std::string SupportFile::formatL2SupportFile() const
{
    Text out;
    writeOpening(out, *this, nullptr);

    if (m_interlineDistance != 0) {
        // A georeferenced grid: the cell size replaces the polynomial description.
        out.line("LAT_REF ", out.sci(m_latRef));
        out.line("LON_REF ", out.sci(m_lonRef));
        out.line("INTERLINE_DIST ", out.sci(m_interlineDistance));
        out.line("INTERPIXEL_DIST ", out.sci(m_interpixelDistance));
    } else {
        out.line("LAT_REF ", out.sci(m_latRef));
        out.line("LAT_SCALE ", out.sci(m_latScale));
        out.line("LON_REF ", out.sci(m_lonRef));
        out.line("LON_SCALE ", out.sci(m_lonScale));
        out.line("H_REF ", out.sci(m_heightRef));
        out.line("H_SCALE ", out.sci(m_heightScale));
        out.line("L_REF ", out.sci(m_lineRef));
        out.line("L_SCALE ", out.sci(m_lineScale));
        out.line("S_REF ", out.sci(m_sampleRef));
        out.line("S_SCALE ", out.sci(m_sampleScale));
        out.line("POLY20_LINE", out.sci(m_poly20Line, spaced));
        out.line("POLY20_SAMP", out.sci(m_poly20Sample, spaced));
    }
    out.line("ELLIPSOID ", m_ellipsoid);
    out.line("VERTICAL_REFERENCE ", integer(m_verticalReference));
    out.line("A_EARTH ", out.sci(m_ellipsoidSemiMajorAxis));
    out.line("E_EARTH ", out.sci(m_ellipsoidEccentricity));
    out.line("ELLIPSOID_CENTER ", out.sci(m_ellipsoidCenter, spaced));
    out.line("PROJECTION_TYPE ", m_projectionType);

    out.setSciDigits(16);
    const bool transverseMercator = m_projectionType == "TRANSVERSE_MERCATOR_PROJECTION";
    if (m_projectionType == "UTM_PROJECTION") {
        out.line("ZONE ", integer(m_projectionZone));
    } else if (transverseMercator) {
        out.line("MIDDLE_LATITUDE ", out.sci(m_middleLatitude));
        out.line("CENTRAL_MERIDIAN ", out.sci(m_centralMeridian));
        out.line("CENTRAL_SCALE_FACTOR ", out.sci(m_centralScaleFactor));
    } else if (m_projectionType == "LAMBERT_CONFORMAL_PROJECTION") {
        out.line("STANDARD_PARALLEL1 ", out.sci(m_standardParallel1));
        out.line("STANDARD_PARALLEL2 ", out.sci(m_standardParallel2));
        out.line("ORIGIN_LATITUDE ", out.sci(m_originLatitude));
        out.line("ORIGIN_LONGITUDE ", out.sci(m_originLongitude));
    }
    out.line("FALSE_NORTHING_POS ", out.sci(m_falseNorthingPos));
    out.line("FALSE_NORTHING_NEG ", out.sci(m_falseNorthingNeg));
    out.line("FALSE_EASTING_POS  ", out.sci(m_falseEastingPos));
    out.line("FALSE_EASTING_NEG  ", out.sci(m_falseEastingNeg));
    if (transverseMercator)
        out.line("GRID_NAME");
    else
        out.line("GRID_NAME ", m_gridName);
    return out.take();
}

bool SupportFile::exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                                      bool relativeImageNames)
{
    m_imageLevel = 1;
    return detail::writeWholeFile(path,
                                  formatL1SupportFile(path, writeLevel0Name, relativeImageNames));
}

bool SupportFile::exportL2SupportFile(const std::string &path)
{
    m_imageLevel = 2;
    return detail::writeWholeFile(path, formatL2SupportFile());
}

} // namespace util
