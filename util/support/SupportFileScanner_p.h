#pragma once

// Internal to the support-file reader and writer: the tokenizer of the keyword format and the
// text helpers around it. Nothing here depends on the process locale. Not part of the
// library's interface.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace util {
namespace detail {

/// Blanks as the C locale's isspace sees them: what separates words.
bool isBlank(char c);
/// Compares word, converted to upper case (ASCII only), with upperCase.
bool equalsUpper(std::string_view word, std::string_view upperCase);

/// Rest-of-line values keep at most this many characters (a line buffer of 256 with room for
/// the line end and the terminator).
constexpr std::size_t maxLineValue = 254;

/// Words and lines of a whole file held in memory. Line ends are LF, CR LF or a lone CR.
class Scanner
{
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {
    }

    std::size_t position() const { return m_pos; }
    void seek(std::size_t pos) { m_pos = pos; }
    bool atEnd() const { return m_pos >= m_text.size(); }

    /// The next blank-separated word; false (nothing consumed but blanks) at the end.
    bool word(std::string_view &out);

    /// Everything up to the end of the current line, cut to maxLineValue characters; the line
    /// end and anything beyond the cut are consumed. False if the text has already ended.
    /// *cut (when given) tells whether characters were dropped.
    bool restOfLine(std::string_view &out, bool *cut = nullptr);

    /// The 1-based line that holds position pos (a position just past a line end counts to
    /// the next line).
    int lineAt(std::size_t pos) const;
    /// The 1-based line of the next word (or of the end, when no word follows).
    int lineOfNextWord() const;

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

/// Text without leading and trailing spaces and tabs.
std::string_view trimBlanks(std::string_view text);
/// A quoted value: trimmed, then without its first and last character (empty if fewer than two).
std::string_view unquote(std::string_view text);

/// A whole word as an int: decimal digits with an optional sign, and optionally a fraction of
/// zeros only ("1.0", "1.", "-2.000"), which integral keywords accept. "1.5", "1e0" and what
/// does not fit an int are refused; value is then unchanged.
bool parseInteger(std::string_view word, int &value);
/// A whole word as a double, fixed or scientific, "inf" and "nan" included.
bool parseNumber(std::string_view word, double &value);

/// A date text as sscanf("%s %s %d %d:%d:%d %d") reads it: weekday (ignored), month word
/// ("Jan" to "Dec" exactly, anything else is January), day, hh:mm:ss, year; taken as local
/// time. False, time unchanged, when the text does not match or the C library cannot convert it.
bool convertDateTime(std::string_view text, std::int64_t &time);

} // namespace detail
} // namespace util
