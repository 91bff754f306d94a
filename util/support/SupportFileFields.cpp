#include "util/support/SupportFileFields_p.h"

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileScanner_p.h"

#include <iterator>
#include <type_traits>
#include <unordered_map>

namespace util {

namespace {

const char *const sensorTypeWords[] = {"VYN", "GENERAL_3D_POLYNOMIAL", "ORTHO"};
const char *const viewOfLineWords[] = {"NADIR", "FORWARD", "BACKWARD", "COLOR_LINE"};
const char *const radiometricWords[] = {"PANCHROMATIC", "RED",           "GREEN",       "BLUE",
                                        "RGB",          "NEAR_INFRARED", "FAR_INFRARED"};
const char *const correctionWords[] = {"NO_CORRECTION", "EARTH_CURV_CORR", "ATMOSPH_CORR",
                                       "EARTH_AND_ATMOSPH_CORR"};

} // namespace

namespace detail {

namespace {

constexpr std::size_t longestKeyword = 32;

const std::unordered_map<std::string_view, const Field *> &keywordIndex()
{
    static const std::unordered_map<std::string_view, const Field *> index = [] {
        std::unordered_map<std::string_view, const Field *> map;
        for (const Field &f : fieldTable())
            map.emplace(f.keyword, &f);
        return map;
    }();
    return index;
}

} // namespace

const Field *findField(std::string_view word)
{
    if (word.size() > longestKeyword)
        return nullptr;
    char buf[longestKeyword];
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        buf[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const auto &index = keywordIndex();
    const auto it = index.find(std::string_view(buf, word.size()));
    return it == index.end() ? nullptr : it->second;
}

EnumWords enumWords(SupportFile::SensorType)
{
    return {sensorTypeWords, std::size(sensorTypeWords)};
}

EnumWords enumWords(SupportFile::ViewOfLine)
{
    return {viewOfLineWords, std::size(viewOfLineWords)};
}

EnumWords enumWords(SupportFile::RadiometricProperty)
{
    return {radiometricWords, std::size(radiometricWords)};
}

EnumWords enumWords(SupportFile::CorrectionType)
{
    return {correctionWords, std::size(correctionWords)};
}

} // namespace detail

namespace {

using detail::Field;
using detail::ValueForm;
using Kind = SupportFile::ValueKind;

std::string numbersText(const double *values, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            text += ' ';
        text += formatShortest(values[i]);
    }
    return text;
}

// The value of one row as forEachKeyword gives it.
struct ValueText
{
    const SupportFile &r;
    const Field &f;
    Kind kind = Kind::Text;
    std::string text;

    void operator()(std::monostate) { }
    void operator()(std::string SupportFile::*m) { text = r.*m; }
    void operator()(int SupportFile::*m)
    {
        kind = Kind::Integer;
        text = std::to_string(r.*m);
    }
    void operator()(bool SupportFile::*m)
    {
        kind = Kind::Flag;
        text = r.*m ? "TRUE" : "FALSE";
    }
    void operator()(std::int64_t SupportFile::*m)
    {
        kind = Kind::Date;
        text = std::to_string(r.*m);
    }
    void operator()(double SupportFile::*m)
    {
        kind = Kind::Numbers;
        double value = r.*m;
        if (f.form == ValueForm::RowOffset)
            value -= 1.0; // the file counts lines from 0
        text = formatShortest(value);
        if (f.form == ValueForm::ElevationRange)
            text += ' ' + formatShortest(r.*std::get<double SupportFile::*>(f.second));
    }
    template<std::size_t N> void operator()(std::array<double, N> SupportFile::*m)
    {
        kind = Kind::Numbers;
        const std::array<double, N> &values = r.*m;
        text = f.form == ValueForm::Element ? formatShortest(values.at(f.index))
                                            : numbersText(values.data(), N);
    }
    void operator()(std::vector<SupportFile::ImageMinification> SupportFile::*m)
    {
        kind = Kind::ImageFiles;
        text = std::to_string((r.*m).size());
    }
    template<typename Enum> void operator()(Enum SupportFile::*m)
    {
        static_assert(std::is_enum_v<Enum>);
        text = detail::enumWords(r.*m).at(r.*m);
    }
};

} // namespace

void SupportFile::forEachKeyword(const KeywordVisitor &visit) const
{
    for (const Field &f : detail::fieldTable()) {
        ValueText value {*this, f, Kind::Text, {}};
        std::visit(value, f.member);
        visit(f.keyword, f.levels, value.kind, value.text);
    }
}

} // namespace util
