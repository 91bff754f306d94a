#include "util/support/SupportFileScanner_p.h"

#include "util/strings/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

namespace util {
namespace detail {

namespace {

struct BlankTable
{
    bool blank[256] = {};
    constexpr BlankTable()
    {
        for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
            blank[static_cast<unsigned char>(c)] = true;
    }
};
constexpr BlankTable blanks;

inline char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The end of the line that starts at or before from: the first LF or CR, or the end.
std::size_t lineEnd(std::string_view text, std::size_t from)
{
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r')
            return i;
    }
    return text.size();
}

} // namespace

bool isBlank(char c)
{
    return blanks.blank[static_cast<unsigned char>(c)];
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

bool Scanner::word(std::string_view &out)
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

bool Scanner::restOfLine(std::string_view &out, bool *cut)
{
    const std::size_t size = m_text.size();
    if (m_pos >= size)
        return false;
    const std::size_t end = lineEnd(m_text, m_pos);
    const std::size_t length = end - m_pos;
    out = m_text.substr(m_pos, std::min(length, maxLineValue));
    if (cut)
        *cut = length > maxLineValue;
    m_pos = end;
    if (m_pos < size && m_text[m_pos] == '\r')
        ++m_pos;
    if (m_pos < size && m_text[m_pos] == '\n' && (m_pos == end || m_text[end] == '\r'))
        ++m_pos;
    return true;
}

int Scanner::lineAt(std::size_t pos) const
{
    pos = std::min(pos, m_text.size());
    int line = 1;
    for (std::size_t i = 0; i < pos; ++i) {
        if (m_text[i] == '\n')
            ++line;
        else if (m_text[i] == '\r' && (i + 1 >= m_text.size() || m_text[i + 1] != '\n'))
            ++line;
    }
    return line;
}

int Scanner::lineOfNextWord() const
{
    std::size_t i = m_pos;
    while (i < m_text.size() && isBlank(m_text[i]))
        ++i;
    return lineAt(i);
}

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

bool parseInteger(std::string_view word, int &value)
{
    const std::size_t point = word.find('.');
    if (point == std::string_view::npos)
        return parseInt(word, value);
    const std::string_view fraction = word.substr(point + 1);
    if (fraction.find_first_not_of('0') != std::string_view::npos)
        return false;
    const std::string_view whole = word.substr(0, point);
    // "." and "-." are no numbers; parseInt refuses an empty or sign-only word itself.
    return parseInt(whole, value);
}

bool parseNumber(std::string_view word, double &value)
{
    return parseDouble(word, value);
}

// --- Dates ---------------------------------------------------------------------------------------

namespace {

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

} // namespace

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

} // namespace detail
} // namespace util
