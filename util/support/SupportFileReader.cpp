// Reading support files. The whole file is read into memory once and scanned in place: level
// detection and the loader share the one buffer, words are views into it, and numbers are
// parsed with from_chars, so nothing here depends on the process locale and a typical level-1
// file costs no allocation per word.

#include "util/support/SupportFile.h"

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileIO_p.h"

#include <cstring>
#include <ctime>
#include <iostream>
#include <string_view>
#include <unordered_map>

namespace util {

namespace {

// Blanks as the C locale's isspace sees them: what stream extraction skips between words.
struct BlankTable
{
    bool blank[256] = {};
    constexpr BlankTable()
    {
        blank[static_cast<unsigned char>(' ')] = true;
        blank[static_cast<unsigned char>('\t')] = true;
        blank[static_cast<unsigned char>('\n')] = true;
        blank[static_cast<unsigned char>('\v')] = true;
        blank[static_cast<unsigned char>('\f')] = true;
        blank[static_cast<unsigned char>('\r')] = true;
    }
};
constexpr BlankTable blanks;

inline bool isBlank(char c)
{
    return blanks.blank[static_cast<unsigned char>(c)];
}

inline char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsUpper(std::string_view word, std::string_view upperCase)
{
    if (word.size() != upperCase.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (upper(word[i]) != upperCase[i])
            return false;
    }
    return true;
}

// Rest-of-line values pass through a line buffer of STR_LEN characters in the file format's
// home, of which STR_LEN - 2 hold text.
constexpr std::size_t maxLineValue = SupportFile::STR_LEN - 2;

class Scanner
{
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {
    }

    std::size_t position() const { return m_pos; }
    void seek(std::size_t pos) { m_pos = pos; }

    /// The next blank-separated word; false at the end of the text.
    bool word(std::string_view &out)
    {
        const std::size_t size = m_text.size();
        std::size_t i = m_pos;
        while (i < size && isBlank(m_text[i]))
            ++i;
        if (i == size) {
            m_pos = i;
            return false;
        }
        const std::size_t start = i;
        while (i < size && !isBlank(m_text[i]))
            ++i;
        out = m_text.substr(start, i - start);
        m_pos = i;
        return true;
    }

    /// Everything up to the end of the current line (LF or CR LF, or the end of the text), cut
    /// to maxLineValue characters; the line end and anything beyond the cut are consumed.
    /// False if the text has already ended.
    bool restOfLine(std::string_view &out)
    {
        const std::size_t size = m_text.size();
        if (m_pos >= size)
            return false;
        const void *nl = std::memchr(m_text.data() + m_pos, '\n', size - m_pos);
        const std::size_t end =
            nl ? static_cast<std::size_t>(static_cast<const char *>(nl) - m_text.data()) : size;
        std::size_t valueEnd = end;
        if (valueEnd > m_pos && m_text[valueEnd - 1] == '\r')
            --valueEnd;
        out = m_text.substr(m_pos, std::min(valueEnd - m_pos, maxLineValue));
        m_pos = nl ? end + 1 : end;
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::string_view trimBlanks(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    return text.substr(first, last - first);
}

std::string_view unquote(std::string_view text)
{
    text = trimBlanks(text);
    if (text.size() < 2)
        return {};
    return text.substr(1, text.size() - 2);
}

// --- Date text as sscanf("%s %s %d %d:%d:%d %d") reads it -------------------------------------

class DateScanner
{
public:
    explicit DateScanner(std::string_view text)
        : m_text(text)
    {
    }

    bool word(std::string_view &out)
    {
        skipBlanks();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !isBlank(m_text[m_pos]))
            ++m_pos;
        out = m_text.substr(start, m_pos - start);
        return !out.empty();
    }

    bool number(int &out)
    {
        skipBlanks();
        std::size_t i = m_pos;
        bool negative = false;
        if (i < m_text.size() && (m_text[i] == '+' || m_text[i] == '-')) {
            negative = m_text[i] == '-';
            ++i;
        }
        const std::size_t digits = i;
        long long value = 0;
        while (i < m_text.size() && m_text[i] >= '0' && m_text[i] <= '9') {
            value = value * 10 + (m_text[i] - '0');
            if (value > 2147483648LL)
                return false; // does not fit an int: no date
            ++i;
        }
        if (i == digits)
            return false;
        value = negative ? -value : value;
        if (value > 2147483647LL)
            return false;
        out = static_cast<int>(value);
        m_pos = i;
        return true;
    }

    bool literal(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

int monthNumber(std::string_view word)
{
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        if (word == months[i])
            return i + 1;
    }
    return 1;
}

// False (time unchanged) when the text does not match the whole pattern or mktime refuses it.
bool convertDateTime(std::string_view text, std::int64_t &time)
{
    DateScanner scan(text);
    std::string_view weekday, month;
    int day, hour, minute, second, year;
    if (!scan.word(weekday) || !scan.word(month) || !scan.number(day) || !scan.number(hour)
        || !scan.literal(':') || !scan.number(minute) || !scan.literal(':') || !scan.number(second)
        || !scan.number(year))
        return false;
    if (year < -2147483647 + 1900)
        return false;

    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = monthNumber(month) - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    tm.tm_wday = -1; // mktime sets it on success; -1 is also a valid time, so test this instead
    const std::time_t converted = std::mktime(&tm);
    if (tm.tm_wday < 0)
        return false;
    time = static_cast<std::int64_t>(converted);
    return true;
}

// --- Keywords ------------------------------------------------------------------------------

enum class Key {
    None,
    // every level
    SupportFile,
    ImageId,
    ImageFileName,
    RectificationTerms,
    GrndBias,
    Bias,
    Gain,
    GroundZero,
    LoadPt,
    CoordSystem,
    Units,
    UseFastMath,
    MaxAndMinElevation,
    ImageMotion,
    Initialized,
    Status,
    PhotoDate,
    Quality,
    SensorType,
    // levels 0 and 1
    MeanTerrainHeight,
    AnchorLatitude,
    AnchorLongitude,
    LineStaggered,
    ViewOfLine,
    RadiometricProperty,
    ImageDate,
    NumberScanLines,
    SensorRotation,
    Correction,
    Level0Gsd,
    OriginalOrientation,
    AdjustedOrientation,
    OriginalCalibration,
    AdjustedCalibration,
    LocalOrigin,
    Basis,
    // level 1
    Level0Name,
    RectScale,
    RectRotation,
    RectXOffset,
    RectYOffset,
    RectHeight,
    RectUseCalibration,
    FootprintLlSample,
    FootprintLlLine,
    FootprintUrSample,
    FootprintUrLine,
    // level 2
    LatRef,
    LatScale,
    LonRef,
    LonScale,
    HRef,
    HScale,
    LRef,
    LScale,
    SRef,
    SScale,
    Poly20Line,
    Poly20Samp,
    InterlineDist,
    InterpixelDist,
    Ellipsoid,
    VerticalReference,
    AEarth,
    EEarth,
    EllipsoidCenter,
    ProjectionType,
    Zone,
    MiddleLatitude,
    CentralMeridian,
    CentralScaleFactor,
    StandardParallel1,
    StandardParallel2,
    OriginLatitude,
    OriginLongitude,
    FalseNorthingPos,
    FalseNorthingNeg,
    FalseEastingPos,
    FalseEastingNeg,
    GridName,
};

constexpr std::size_t longestKeyword = 24;

const std::unordered_map<std::string_view, Key> &keywordTable()
{
    static const std::unordered_map<std::string_view, Key> table = {
        {"SUPPORT_FILE", Key::SupportFile},
        {"IMAGE_ID", Key::ImageId},
        {"IMAGE_FILE_NAME", Key::ImageFileName},
        {"RECTIFICATION_TERMS", Key::RectificationTerms},
        {"GRND_BIAS", Key::GrndBias},
        {"BIAS", Key::Bias},
        {"GAIN", Key::Gain},
        {"GROUND_ZERO", Key::GroundZero},
        {"LOAD_PT", Key::LoadPt},
        {"COORD_SYSTEM", Key::CoordSystem},
        {"UNITS", Key::Units},
        {"USE_FAST_MATH", Key::UseFastMath},
        {"MAX_AND_MIN_ELEVATION", Key::MaxAndMinElevation},
        {"IMAGE_MOTION", Key::ImageMotion},
        {"INITIALIZED", Key::Initialized},
        {"STATUS", Key::Status},
        {"PHOTO_DATE", Key::PhotoDate},
        {"QUALITY", Key::Quality},
        {"SENSOR_TYPE", Key::SensorType},
        {"MEAN_TERRAIN_HEIGHT", Key::MeanTerrainHeight},
        {"ANCHOR_LATITUDE", Key::AnchorLatitude},
        {"ANCHOR_LONGITUDE", Key::AnchorLongitude},
        {"LINE_STAGGERED", Key::LineStaggered},
        {"VIEW_OF_LINE", Key::ViewOfLine},
        {"RADIOMETRIC_PROPERTY", Key::RadiometricProperty},
        {"IMAGE_DATE", Key::ImageDate},
        {"NUMBER_SCAN_LINES", Key::NumberScanLines},
        {"SENSOR_ROTATION", Key::SensorRotation},
        {"CORRECTION", Key::Correction},
        {"LEVEL_0_GSD", Key::Level0Gsd},
        {"ORIGINAL_ORIENTATION", Key::OriginalOrientation},
        {"ADJUSTED_ORIENTATION", Key::AdjustedOrientation},
        {"ORIGINAL_CALIBRATION", Key::OriginalCalibration},
        {"ADJUSTED_CALIBRATION", Key::AdjustedCalibration},
        {"LOCAL_ORIGIN", Key::LocalOrigin},
        {"BASIS", Key::Basis},
        {"LEVEL_0_NAME", Key::Level0Name},
        {"RECT_SCALE", Key::RectScale},
        {"RECT_ROTATION", Key::RectRotation},
        {"RECT_XOFFSET", Key::RectXOffset},
        {"RECT_YOFFSET", Key::RectYOffset},
        {"RECT_HEIGHT", Key::RectHeight},
        {"RECT_USE_CALIBRATION", Key::RectUseCalibration},
        {"FOOTPRINT_LL_SAMPLE", Key::FootprintLlSample},
        {"FOOTPRINT_LL_LINE", Key::FootprintLlLine},
        {"FOOTPRINT_UR_SAMPLE", Key::FootprintUrSample},
        {"FOOTPRINT_UR_LINE", Key::FootprintUrLine},
        {"LAT_REF", Key::LatRef},
        {"LAT_SCALE", Key::LatScale},
        {"LON_REF", Key::LonRef},
        {"LON_SCALE", Key::LonScale},
        {"H_REF", Key::HRef},
        {"H_SCALE", Key::HScale},
        {"L_REF", Key::LRef},
        {"L_SCALE", Key::LScale},
        {"S_REF", Key::SRef},
        {"S_SCALE", Key::SScale},
        {"POLY20_LINE", Key::Poly20Line},
        {"POLY20_SAMP", Key::Poly20Samp},
        {"INTERLINE_DIST", Key::InterlineDist},
        {"INTERPIXEL_DIST", Key::InterpixelDist},
        {"ELLIPSOID", Key::Ellipsoid},
        {"VERTICAL_REFERENCE", Key::VerticalReference},
        {"A_EARTH", Key::AEarth},
        {"E_EARTH", Key::EEarth},
        {"ELLIPSOID_CENTER", Key::EllipsoidCenter},
        {"PROJECTION_TYPE", Key::ProjectionType},
        {"ZONE", Key::Zone},
        {"MIDDLE_LATITUDE", Key::MiddleLatitude},
        {"CENTRAL_MERIDIAN", Key::CentralMeridian},
        {"CENTRAL_SCALE_FACTOR", Key::CentralScaleFactor},
        {"STANDARD_PARALLEL1", Key::StandardParallel1},
        {"STANDARD_PARALLEL2", Key::StandardParallel2},
        {"ORIGIN_LATITUDE", Key::OriginLatitude},
        {"ORIGIN_LONGITUDE", Key::OriginLongitude},
        {"FALSE_NORTHING_POS", Key::FalseNorthingPos},
        {"FALSE_NORTHING_NEG", Key::FalseNorthingNeg},
        {"FALSE_EASTING_POS", Key::FalseEastingPos},
        {"FALSE_EASTING_NEG", Key::FalseEastingNeg},
        {"GRID_NAME", Key::GridName},
    };
    return table;
}

Key lookup(std::string_view word)
{
    if (word.size() > longestKeyword)
        return Key::None;
    char buf[longestKeyword];
    for (std::size_t i = 0; i < word.size(); ++i)
        buf[i] = upper(word[i]);
    const auto &table = keywordTable();
    const auto it = table.find(std::string_view(buf, word.size()));
    return it == table.end() ? Key::None : it->second;
}

// Enumeration words are compared exactly; an unknown word leaves the field alone.
template<typename Enum> void setEnum(std::string_view word, Enum &field, int count)
{
    for (int i = 0; i < count; ++i) {
        if (word == SupportFile::keyword(static_cast<Enum>(i))) {
            field = static_cast<Enum>(i);
            return;
        }
    }
}

} // namespace

// Fills a record from a file's text. A friend of SupportFile; lives only in this file.
class SupportFileReader
{
public:
    SupportFileReader(SupportFile &record, std::string_view text)
        : m_record(record)
        , m_in(text)
    {
    }

    static int checkImageLevel(std::string_view text);
    /// The loader of one level (0, 1 or 2); true when the text was read to its end.
    bool load(int level, const std::string &path);

private:
    enum class Outcome { NotMine, Handled, Broken };

    Outcome readCommonItems(Key key);
    bool readItemsForL0L1(Key key);
    bool readItemsForL1(Key key);
    bool readItemsForL2(Key key);

    // Value readers. Each leaves the field unchanged when the value is missing (end of text)
    // or when a word stands where a number should; that word is then read again as a keyword.
    bool number(double &field);
    bool integer(int &field);
    template<std::size_t N> bool numbers(std::array<double, N> &field);
    bool flag(bool &field);
    bool word(std::string &field);
    bool quotedLine(std::string &field);
    bool date(bool quoted, std::int64_t &field);
    bool imageFileBlock();

    SupportFile &m_record;
    Scanner m_in;
};

int SupportFileReader::checkImageLevel(std::string_view text)
{
    Scanner in(text);
    int level = 2;
    std::string_view w;
    while (in.word(w)) {
        if (!equalsUpper(w, "IMAGE_LEVEL"))
            continue;
        const std::size_t at = in.position();
        std::string_view value;
        if (in.word(value) && !parseInt(value, level))
            in.seek(at);
    }
    return level;
}

bool SupportFileReader::number(double &field)
{
    const std::size_t at = m_in.position();
    std::string_view w;
    if (!m_in.word(w))
        return false;
    if (!parseDouble(w, field)) {
        m_in.seek(at);
        return false;
    }
    return true;
}

bool SupportFileReader::integer(int &field)
{
    const std::size_t at = m_in.position();
    std::string_view w;
    if (!m_in.word(w))
        return false;
    if (!parseInt(w, field)) {
        m_in.seek(at);
        return false;
    }
    return true;
}

template<std::size_t N> bool SupportFileReader::numbers(std::array<double, N> &field)
{
    std::array<double, N> values;
    for (double &v : values) {
        if (!number(v))
            return false;
    }
    field = values;
    return true;
}

bool SupportFileReader::flag(bool &field)
{
    std::string_view w;
    if (!m_in.word(w))
        return false;
    field = equalsUpper(w, "TRUE");
    return true;
}

bool SupportFileReader::word(std::string &field)
{
    std::string_view w;
    if (!m_in.word(w))
        return false;
    field.assign(w.data(), w.size());
    return true;
}

bool SupportFileReader::quotedLine(std::string &field)
{
    std::string_view line;
    if (!m_in.restOfLine(line))
        return false;
    const std::string_view value = unquote(line);
    field.assign(value.data(), value.size());
    return true;
}

bool SupportFileReader::date(bool quoted, std::int64_t &field)
{
    std::string_view line;
    if (!m_in.restOfLine(line))
        return false;
    return convertDateTime(quoted ? unquote(line) : trimBlanks(line), field);
}

bool SupportFileReader::imageFileBlock()
{
    SupportFile::ImageMinification entry;
    std::string_view w, line;
    if (!m_in.word(w) || !parseInt(w, entry.level) || !m_in.restOfLine(line))
        return false;
    const std::string_view name = unquote(line);
    entry.fileName.assign(name.data(), name.size());
    if (!m_in.word(w) || !equalsUpper(w, "LINES") || !m_in.word(w) || !parseInt(w, entry.lines))
        return false;
    if (!m_in.word(w) || !equalsUpper(w, "SAMPLES") || !m_in.word(w) || !parseInt(w, entry.samples))
        return false;
    m_record.m_imageMinifications.push_back(std::move(entry));
    return true;
}

SupportFileReader::Outcome SupportFileReader::readCommonItems(Key key)
{
    SupportFile &r = m_record;
    switch (key) {
    case Key::SupportFile:
        word(r.m_supportFileTag);
        break;
    case Key::ImageId:
        quotedLine(r.m_imageID);
        break;
    case Key::ImageFileName:
        return imageFileBlock() ? Outcome::Handled : Outcome::Broken;
    case Key::RectificationTerms:
        numbers(r.m_rectificationTerms);
        break;
    case Key::GrndBias:
        numbers(r.m_groundBias);
        break;
    case Key::Bias:
        number(r.m_bias);
        break;
    case Key::Gain:
        number(r.m_gain);
        break;
    case Key::GroundZero:
        numbers(r.m_groundZero);
        break;
    case Key::LoadPt:
        numbers(r.m_loadPoint);
        break;
    case Key::CoordSystem:
        integer(r.m_coordSystem);
        break;
    case Key::Units:
        integer(r.m_unit);
        break;
    case Key::UseFastMath:
        integer(r.m_useFastMath);
        break;
    case Key::MaxAndMinElevation: {
        std::array<double, 2> minMax;
        if (numbers(minMax)) {
            r.m_minElevation = minMax[0];
            r.m_maxElevation = minMax[1];
        }
        break;
    }
    case Key::ImageMotion:
        integer(r.m_imageMotion);
        break;
    case Key::Initialized:
        integer(r.m_initialized);
        break;
    case Key::Status:
        integer(r.m_status);
        break;
    case Key::PhotoDate:
        date(true, r.m_photoDate);
        break;
    case Key::Quality:
        integer(r.m_quality);
        break;
    case Key::SensorType: {
        std::string_view w;
        if (m_in.word(w))
            setEnum(w, r.m_sensorType, 3);
        break;
    }
    default:
        return Outcome::NotMine;
    }
    return Outcome::Handled;
}

bool SupportFileReader::readItemsForL0L1(Key key)
{
    SupportFile &r = m_record;
    std::string_view w;
    switch (key) {
    case Key::MeanTerrainHeight:
        number(r.m_meanTerrainHeight);
        break;
    case Key::AnchorLatitude:
        number(r.m_anchorLatitude);
        break;
    case Key::AnchorLongitude:
        number(r.m_anchorLongitude);
        break;
    case Key::LineStaggered:
        flag(r.m_lineStaggered);
        break;
    case Key::ViewOfLine:
        if (m_in.word(w))
            setEnum(w, r.m_viewOfLine, 4);
        break;
    case Key::RadiometricProperty:
        if (m_in.word(w))
            setEnum(w, r.m_radiometricProperty, 7);
        break;
    case Key::ImageDate:
        date(false, r.m_imageDate);
        break;
    case Key::NumberScanLines:
        integer(r.m_numberScanLines);
        break;
    case Key::SensorRotation:
        flag(r.m_sensorRotation);
        break;
    case Key::Correction:
        if (m_in.word(w))
            setEnum(w, r.m_correction, 4);
        break;
    case Key::Level0Gsd:
        number(r.m_l0GSD);
        break;
    case Key::OriginalOrientation:
        word(r.m_originalOrientation);
        break;
    case Key::AdjustedOrientation:
        word(r.m_adjustedOrientation);
        break;
    case Key::OriginalCalibration:
        word(r.m_originalCalibration);
        break;
    case Key::AdjustedCalibration:
        word(r.m_adjustedCalibration);
        break;
    case Key::LocalOrigin:
        numbers(r.m_localOrigin);
        break;
    case Key::Basis:
        numbers(r.m_localOriginBasis);
        break;
    default:
        return false;
    }
    return true;
}

bool SupportFileReader::readItemsForL1(Key key)
{
    SupportFile &r = m_record;
    switch (key) {
    case Key::Level0Name:
        word(r.m_l0ImageName);
        break;
    case Key::RectScale:
        number(r.m_rectScale);
        break;
    case Key::RectRotation:
        number(r.m_rectRotation);
        break;
    case Key::RectXOffset:
        number(r.m_rectXOffset);
        break;
    case Key::RectYOffset: {
        double y;
        if (number(y))
            r.m_rectYOffset = y + 1.0; // the record counts lines from 1, the file from 0
        break;
    }
    case Key::RectHeight:
        number(r.m_rectHeight);
        break;
    case Key::RectUseCalibration:
        flag(r.m_rectUseCalibration);
        break;
    case Key::FootprintLlSample:
        number(r.m_footprintRange[0]);
        break;
    case Key::FootprintLlLine:
        number(r.m_footprintRange[1]);
        break;
    case Key::FootprintUrSample:
        number(r.m_footprintRange[2]);
        break;
    case Key::FootprintUrLine:
        number(r.m_footprintRange[3]);
        break;
    default:
        return false;
    }
    return true;
}

bool SupportFileReader::readItemsForL2(Key key)
{
    SupportFile &r = m_record;
    switch (key) {
    case Key::LatRef:
        number(r.m_latRef);
        break;
    case Key::LatScale:
        number(r.m_latScale);
        break;
    case Key::LonRef:
        number(r.m_lonRef);
        break;
    case Key::LonScale:
        number(r.m_lonScale);
        break;
    case Key::HRef:
        number(r.m_heightRef);
        break;
    case Key::HScale:
        number(r.m_heightScale);
        break;
    case Key::LRef:
        number(r.m_lineRef);
        break;
    case Key::LScale:
        number(r.m_lineScale);
        break;
    case Key::SRef:
        number(r.m_sampleRef);
        break;
    case Key::SScale:
        number(r.m_sampleScale);
        break;
    case Key::Poly20Line:
        numbers(r.m_poly20Line);
        break;
    case Key::Poly20Samp:
        numbers(r.m_poly20Sample);
        break;
    case Key::InterlineDist:
        number(r.m_interlineDistance);
        break;
    case Key::InterpixelDist:
        number(r.m_interpixelDistance);
        break;
    case Key::Ellipsoid:
        word(r.m_ellipsoid);
        break;
    case Key::VerticalReference:
        integer(r.m_verticalReference);
        break;
    case Key::AEarth:
        number(r.m_ellipsoidSemiMajorAxis);
        break;
    case Key::EEarth:
        number(r.m_ellipsoidEccentricity);
        break;
    case Key::EllipsoidCenter:
        numbers(r.m_ellipsoidCenter);
        break;
    case Key::ProjectionType:
        word(r.m_projectionType);
        break;
    case Key::Zone:
        integer(r.m_projectionZone);
        break;
    case Key::MiddleLatitude:
        number(r.m_middleLatitude);
        break;
    case Key::CentralMeridian:
        number(r.m_centralMeridian);
        break;
    case Key::CentralScaleFactor:
        number(r.m_centralScaleFactor);
        break;
    case Key::StandardParallel1:
        number(r.m_standardParallel1);
        break;
    case Key::StandardParallel2:
        number(r.m_standardParallel2);
        break;
    case Key::OriginLatitude:
        number(r.m_originLatitude);
        break;
    case Key::OriginLongitude:
        number(r.m_originLongitude);
        break;
    case Key::FalseNorthingPos:
        number(r.m_falseNorthingPos);
        break;
    case Key::FalseNorthingNeg:
        number(r.m_falseNorthingNeg);
        break;
    case Key::FalseEastingPos:
        number(r.m_falseEastingPos);
        break;
    case Key::FalseEastingNeg:
        number(r.m_falseEastingNeg);
        break;
    case Key::GridName:
        word(r.m_gridName);
        break;
    default:
        return false;
    }
    return true;
}

bool SupportFileReader::load(int level, const std::string &path)
{
    std::string_view w;
    while (m_in.word(w)) {
        const Key key = lookup(w);
        if (key == Key::None)
            continue; // unknown words and "IMAGE_LEVEL" (read by the detection) are skipped
        const Outcome common = readCommonItems(key);
        if (common == Outcome::Broken)
            return false;
        if (common == Outcome::Handled)
            continue;
        if (level == 2) {
            readItemsForL2(key);
        } else if (!readItemsForL0L1(key) && level == 1) {
            readItemsForL1(key);
        }
    }
    m_record.m_l0ImageName = path;
    return true;
}

int SupportFile::loadFile(const std::string &path)
{
    std::string text;
    if (!detail::readWholeFile(path, text)) {
        // Unreadable: level 0, whose loader cannot open the file either.
        m_imageLevel = 0;
        return 0;
    }
    const int level = SupportFileReader::checkImageLevel(text);
    m_imageLevel = level;
    if (level < 0 || level > 2) {
        std::cerr << "Unsupported image level" << std::endl;
        return level;
    }
    SupportFileReader(*this, text).load(level, path);
    return level;
}

} // namespace util
