#pragma once

// Internal: the one table of support-file keywords. Each row says which keyword, which levels'
// loaders read it, what kind of value follows it and which member of SupportFile receives it.
// The reader looks keywords up and dispatches through it, the writer takes its keyword
// spellings from it, SupportFile::forEachKeyword lists the record through it. A new keyword is
// a new row here (and a line in the writer, whose layout is fixed byte for byte).

#include "util/support/SupportFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace util {
namespace detail {

/// Bit n set: the level-n loader reads the keyword. No bit: only the level detection reads it.
enum LevelBits : unsigned {
    DetectionOnly = 0,
    Level0 = 1u << 0,
    Level1 = 1u << 1,
    Level2 = 1u << 2,
    Levels01 = Level0 | Level1,
    AllLevels = Level0 | Level1 | Level2,
};

/// What follows a keyword in the file.
enum class ValueForm : unsigned char {
    Word, ///< one word (std::string)
    QuotedLine, ///< the quoted rest of the line (std::string)
    Integer, ///< one integer (int)
    Numbers, ///< as many numbers as the member holds (double or std::array<double, N>)
    Element, ///< one number into element `index` of an array member
    RowOffset, ///< one number; the record holds it plus 1 (lines counted from 1)
    ElevationRange, ///< two numbers: minimum (member), maximum (second)
    Flag, ///< one word: "TRUE" in any case is true, anything else false
    Enumeration, ///< one word of the enumeration's word list, compared exactly
    QuotedDate, ///< the quoted rest of the line, a date
    PlainDate, ///< the rest of the line, a date
    ImageFiles, ///< level, quoted file name, then LINES n and SAMPLES n: one entry appended
    Level, ///< an integer: the image level (read by the detection only)
};

using Member = std::variant<
    std::monostate, std::string SupportFile::*, int SupportFile::*, bool SupportFile::*,
    std::int64_t SupportFile::*, double SupportFile::*, std::array<double, 3> SupportFile::*,
    std::array<double, 4> SupportFile::*, std::array<double, 6> SupportFile::*,
    std::array<double, 9> SupportFile::*, std::array<double, 20> SupportFile::*,
    SupportFile::SensorType SupportFile::*, SupportFile::ViewOfLine SupportFile::*,
    SupportFile::RadiometricProperty SupportFile::*, SupportFile::CorrectionType SupportFile::*,
    std::vector<SupportFile::ImageMinification> SupportFile::*>;

struct Field
{
    const char *keyword; ///< upper case, as the reader compares it
    unsigned levels; ///< LevelBits
    ValueForm form;
    Member member;
    Member second = {}; ///< ElevationRange: the maximum
    std::size_t index = 0; ///< Element: which element
};

/// The row of a keyword (compared in upper case), or nullptr.
const Field *findField(std::string_view word);

/// The words of "IMAGE_FILE_NAME"'s block, which are part of no other row.
constexpr std::string_view linesKeyword = "LINES";
constexpr std::string_view samplesKeyword = "SAMPLES";

/// An enumeration's file words, indexed by value.
struct EnumWords
{
    const char *const *words;
    std::size_t count;

    /// The word of value, or of value 0 when value is outside the list.
    const char *at(int value) const
    {
        return (value >= 0 && static_cast<std::size_t>(value) < count) ? words[value] : words[0];
    }
    /// The value whose word is exactly word; false when there is none.
    bool find(std::string_view word, int &value) const
    {
        for (std::size_t i = 0; i < count; ++i) {
            if (word == words[i]) {
                value = static_cast<int>(i);
                return true;
            }
        }
        return false;
    }
};

EnumWords enumWords(SupportFile::SensorType);
EnumWords enumWords(SupportFile::ViewOfLine);
EnumWords enumWords(SupportFile::RadiometricProperty);
EnumWords enumWords(SupportFile::CorrectionType);

} // namespace detail

// A friend of SupportFile, so that the table may name its members.
struct SupportFileFieldTable
{
    using S = SupportFile;
    using F = detail::ValueForm;
    static constexpr detail::Field rows[] = {
        {"SUPPORT_FILE", detail::AllLevels, F::Word, &S::m_supportFileTag},
        {"IMAGE_ID", detail::AllLevels, F::QuotedLine, &S::m_imageID},
        {"IMAGE_FILE_NAME", detail::AllLevels, F::ImageFiles, &S::m_imageMinifications},
        {"RECTIFICATION_TERMS", detail::AllLevels, F::Numbers, &S::m_rectificationTerms},
        {"GRND_BIAS", detail::AllLevels, F::Numbers, &S::m_groundBias},
        {"BIAS", detail::AllLevels, F::Numbers, &S::m_bias},
        {"GAIN", detail::AllLevels, F::Numbers, &S::m_gain},
        {"GROUND_ZERO", detail::AllLevels, F::Numbers, &S::m_groundZero},
        {"LOAD_PT", detail::AllLevels, F::Numbers, &S::m_loadPoint},
        {"COORD_SYSTEM", detail::AllLevels, F::Integer, &S::m_coordSystem},
        {"UNITS", detail::AllLevels, F::Integer, &S::m_unit},
        {"USE_FAST_MATH", detail::AllLevels, F::Integer, &S::m_useFastMath},
        {"MAX_AND_MIN_ELEVATION", detail::AllLevels, F::ElevationRange, &S::m_minElevation,
         &S::m_maxElevation},
        {"IMAGE_MOTION", detail::AllLevels, F::Integer, &S::m_imageMotion},
        {"INITIALIZED", detail::AllLevels, F::Integer, &S::m_initialized},
        {"STATUS", detail::AllLevels, F::Integer, &S::m_status},
        {"PHOTO_DATE", detail::AllLevels, F::QuotedDate, &S::m_photoDate},
        {"QUALITY", detail::AllLevels, F::Integer, &S::m_quality},
        {"SENSOR_TYPE", detail::AllLevels, F::Enumeration, &S::m_sensorType},
        {"IMAGE_LEVEL", detail::DetectionOnly, F::Level, &S::m_imageLevel},

        {"MEAN_TERRAIN_HEIGHT", detail::Levels01, F::Numbers, &S::m_meanTerrainHeight},
        {"ANCHOR_LATITUDE", detail::Levels01, F::Numbers, &S::m_anchorLatitude},
        {"ANCHOR_LONGITUDE", detail::Levels01, F::Numbers, &S::m_anchorLongitude},
        {"LINE_STAGGERED", detail::Levels01, F::Flag, &S::m_lineStaggered},
        {"VIEW_OF_LINE", detail::Levels01, F::Enumeration, &S::m_viewOfLine},
        {"RADIOMETRIC_PROPERTY", detail::Levels01, F::Enumeration, &S::m_radiometricProperty},
        {"IMAGE_DATE", detail::Levels01, F::PlainDate, &S::m_imageDate},
        {"NUMBER_SCAN_LINES", detail::Levels01, F::Integer, &S::m_numberScanLines},
        {"SENSOR_ROTATION", detail::Levels01, F::Flag, &S::m_sensorRotation},
        {"CORRECTION", detail::Levels01, F::Enumeration, &S::m_correction},
        {"LEVEL_0_GSD", detail::Levels01, F::Numbers, &S::m_l0GSD},
        {"ORIGINAL_ORIENTATION", detail::Levels01, F::Word, &S::m_originalOrientation},
        {"ADJUSTED_ORIENTATION", detail::Levels01, F::Word, &S::m_adjustedOrientation},
        {"ORIGINAL_CALIBRATION", detail::Levels01, F::Word, &S::m_originalCalibration},
        {"ADJUSTED_CALIBRATION", detail::Levels01, F::Word, &S::m_adjustedCalibration},
        {"LOCAL_ORIGIN", detail::Levels01, F::Numbers, &S::m_localOrigin},
        {"BASIS", detail::Levels01, F::Numbers, &S::m_localOriginBasis},

        {"LEVEL_0_NAME", detail::Level1, F::Word, &S::m_l0ImageName},
        {"RECT_SCALE", detail::Level1, F::Numbers, &S::m_rectScale},
        {"RECT_ROTATION", detail::Level1, F::Numbers, &S::m_rectRotation},
        {"RECT_XOFFSET", detail::Level1, F::Numbers, &S::m_rectXOffset},
        {"RECT_YOFFSET", detail::Level1, F::RowOffset, &S::m_rectYOffset},
        {"RECT_HEIGHT", detail::Level1, F::Numbers, &S::m_rectHeight},
        {"RECT_USE_CALIBRATION", detail::Level1, F::Flag, &S::m_rectUseCalibration},
        {"FOOTPRINT_LL_SAMPLE", detail::Level1, F::Element, &S::m_footprintRange, {}, 0},
        {"FOOTPRINT_LL_LINE", detail::Level1, F::Element, &S::m_footprintRange, {}, 1},
        {"FOOTPRINT_UR_SAMPLE", detail::Level1, F::Element, &S::m_footprintRange, {}, 2},
        {"FOOTPRINT_UR_LINE", detail::Level1, F::Element, &S::m_footprintRange, {}, 3},

        {"LAT_REF", detail::Level2, F::Numbers, &S::m_latRef},
        {"LAT_SCALE", detail::Level2, F::Numbers, &S::m_latScale},
        {"LON_REF", detail::Level2, F::Numbers, &S::m_lonRef},
        {"LON_SCALE", detail::Level2, F::Numbers, &S::m_lonScale},
        {"H_REF", detail::Level2, F::Numbers, &S::m_heightRef},
        {"H_SCALE", detail::Level2, F::Numbers, &S::m_heightScale},
        {"L_REF", detail::Level2, F::Numbers, &S::m_lineRef},
        {"L_SCALE", detail::Level2, F::Numbers, &S::m_lineScale},
        {"S_REF", detail::Level2, F::Numbers, &S::m_sampleRef},
        {"S_SCALE", detail::Level2, F::Numbers, &S::m_sampleScale},
        {"POLY20_LINE", detail::Level2, F::Numbers, &S::m_poly20Line},
        {"POLY20_SAMP", detail::Level2, F::Numbers, &S::m_poly20Sample},
        {"INTERLINE_DIST", detail::Level2, F::Numbers, &S::m_interlineDistance},
        {"INTERPIXEL_DIST", detail::Level2, F::Numbers, &S::m_interpixelDistance},
        {"ELLIPSOID", detail::Level2, F::Word, &S::m_ellipsoid},
        {"VERTICAL_REFERENCE", detail::Level2, F::Integer, &S::m_verticalReference},
        {"A_EARTH", detail::Level2, F::Numbers, &S::m_ellipsoidSemiMajorAxis},
        {"E_EARTH", detail::Level2, F::Numbers, &S::m_ellipsoidEccentricity},
        {"ELLIPSOID_CENTER", detail::Level2, F::Numbers, &S::m_ellipsoidCenter},
        {"PROJECTION_TYPE", detail::Level2, F::Word, &S::m_projectionType},
        {"ZONE", detail::Level2, F::Integer, &S::m_projectionZone},
        {"MIDDLE_LATITUDE", detail::Level2, F::Numbers, &S::m_middleLatitude},
        {"CENTRAL_MERIDIAN", detail::Level2, F::Numbers, &S::m_centralMeridian},
        {"CENTRAL_SCALE_FACTOR", detail::Level2, F::Numbers, &S::m_centralScaleFactor},
        {"STANDARD_PARALLEL1", detail::Level2, F::Numbers, &S::m_standardParallel1},
        {"STANDARD_PARALLEL2", detail::Level2, F::Numbers, &S::m_standardParallel2},
        {"ORIGIN_LATITUDE", detail::Level2, F::Numbers, &S::m_originLatitude},
        {"ORIGIN_LONGITUDE", detail::Level2, F::Numbers, &S::m_originLongitude},
        {"FALSE_NORTHING_POS", detail::Level2, F::Numbers, &S::m_falseNorthingPos},
        {"FALSE_NORTHING_NEG", detail::Level2, F::Numbers, &S::m_falseNorthingNeg},
        {"FALSE_EASTING_POS", detail::Level2, F::Numbers, &S::m_falseEastingPos},
        {"FALSE_EASTING_NEG", detail::Level2, F::Numbers, &S::m_falseEastingNeg},
        {"GRID_NAME", detail::Level2, F::Word, &S::m_gridName},
    };
};

namespace detail {

/// The table, in the order of the record's fields.
struct FieldTable
{
    constexpr const Field *begin() const { return std::begin(SupportFileFieldTable::rows); }
    constexpr const Field *end() const { return std::end(SupportFileFieldTable::rows); }
};
constexpr FieldTable fieldTable()
{
    return {};
}

/// The table's own spelling of keyword; not a constant expression (so a compile error where
/// QUOR_SUPPORT_KEYWORD is used) when the table lacks it.
constexpr const char *tableKeyword(std::string_view keyword)
{
    for (const Field &f : fieldTable()) {
        if (keyword == f.keyword)
            return f.keyword;
    }
    throw "support-file keyword missing from the table";
}

} // namespace detail
} // namespace util

/// A keyword as the table spells it, checked at compile time.
#define QUOR_SUPPORT_KEYWORD(word)                                                                 \
    ([] {                                                                                          \
        constexpr const char *k = ::util::detail::tableKeyword(word);                              \
        return k;                                                                                  \
    }())
