// Reading support files. The whole file is read into memory once and scanned in place: level
// detection and the loader share the one buffer, words are views into it, and numbers are
// parsed with from_chars, so nothing here depends on the process locale and a typical level-1
// file costs no allocation per word. Keywords are looked up in the field table, which also
// says what value follows and where it goes.

#include "util/support/SupportFile.h"
#include "util/support/SupportFileContent.h"

#include "util/support/SupportFileFields_p.h"
#include "util/support/SupportFileIO_p.h"
#include "util/support/SupportFileScanner_p.h"

#include <QFile>

#include <iostream>
#include <string_view>
#include <type_traits>

namespace util {

using detail::Field;
using detail::ValueForm;

namespace {

// What was not as the format wants it, and where. A file that is no support file at all beats
// the place where reading stopped, which beats the earliest value out of place.
struct Problem
{
    enum Weight { Value = 1, Stop = 2, Foreign = 3 };

    bool found = false;
    Weight weight = Value;
    std::size_t position = 0;
    std::string what;

    void note(std::size_t at, std::string text, Weight w = Value)
    {
        if (found && (weight > w || (weight == w && position <= at)))
            return;
        found = true;
        weight = w;
        position = at;
        what = std::move(text);
    }
};

// A word for a one-line message: at most 40 bytes, control characters shown as '?'.
std::string shown(std::string_view word)
{
    std::string text(word.substr(0, 40));
    for (char &c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    if (word.size() > 40)
        text += "...";
    return "'" + text + "'";
}

bool hasControlCharacters(std::string_view word)
{
    for (const char c : word) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return true;
    }
    return false;
}

} // namespace

// Fills a record from a file's text. A friend of SupportFile; lives only in this file.
class SupportFileReader
{
public:
    SupportFileReader(SupportFile &record, std::string_view text, Problem &problem,
                      std::vector<SupportFileEntry> *entries)
        : m_record(record)
        , m_text(text)
        , m_in(text)
        , m_problem(problem)
        , m_entries(entries)
    {
    }

    /// The level of the last "IMAGE_LEVEL" and its integer, or 2; *at: where that keyword stands.
    static int checkImageLevel(std::string_view text, Problem &problem, std::size_t *at);
    /// The loader of one level (0, 1 or 2); true when the text was read to its end.
    bool load(int level, const std::string &path);

    /// What loadFile and loadFileChecked share. failure: why the file could not be read (then
    /// *opened is false) or the first problem met in it (reason empty when none).
    static int run(SupportFile &record, const std::string &path, bool quiet, bool *opened,
                   Failure *failure, std::vector<SupportFileEntry> *entries = nullptr);

private:
    friend struct NumbersInto;
    friend struct EnumInto;

    // Value readers. Each leaves the field unchanged when the value is missing (end of text)
    // or when a word stands where a value of its kind should; that word is then read again as
    // a keyword.
    bool number(double &field, const Field &f);
    bool integer(int &field, const Field &f);
    template<std::size_t N> bool numbers(std::array<double, N> &field, const Field &f);
    bool flag(bool &field, const Field &f);
    bool word(std::string &field, const Field &f);
    bool quotedLine(std::string &field, const Field &f);
    bool date(bool quoted, std::int64_t &field, const Field &f);
    template<typename Enum> bool enumeration(Enum &field, const Field &f);
    bool imageFileBlock(std::vector<SupportFile::ImageMinification> &list, const Field &f);
    /// False only for a broken image-file block, which ends the load. *stored: whether the
    /// field took a value.
    bool read(const Field &f, bool *stored);

    /// The next word, or false after noting that the keyword's value is missing.
    bool valueWord(std::string_view &w, const Field &f);
    void missingAtEnd(const Field &f);
    /// Notes that w is no value of f's kind and puts it back.
    bool refuse(std::string_view w, const Field &f, const char *wanted);
    std::size_t offsetOf(std::string_view w) const
    {
        return static_cast<std::size_t>(w.data() - m_text.data());
    }

    template<typename T> T &target(const detail::Member &member)
    {
        return m_record.*std::get<T SupportFile::*>(member);
    }

    SupportFile &m_record;
    std::string_view m_text;
    detail::Scanner m_in;
    Problem &m_problem;
    std::vector<SupportFileEntry> *m_entries;
    int m_valuesRead = 0; // of the keyword being read
    // Set by the readers of rest-of-line values, which tell better than the span what the
    // value was.
    std::string_view m_value;
    bool m_valueSet = false;
    bool m_cut = false;
    // Line numbers of entries, counted on as the load goes (Scanner::lineAt counts from the
    // start each time).
    std::size_t m_linePos = 0;
    int m_line = 1;

    int lineOf(std::size_t pos);
};

int SupportFileReader::lineOf(std::size_t pos)
{
    pos = std::min(pos, m_text.size());
    for (; m_linePos < pos; ++m_linePos) {
        const char c = m_text[m_linePos];
        if (c == '\n'
            || (c == '\r' && (m_linePos + 1 >= m_text.size() || m_text[m_linePos + 1] != '\n')))
            ++m_line;
    }
    return m_line;
}

int SupportFileReader::checkImageLevel(std::string_view text, Problem &problem, std::size_t *at)
{
    detail::Scanner in(text);
    int level = 2;
    *at = std::string_view::npos;
    std::string_view w;
    while (in.word(w)) {
        if (!detail::equalsUpper(w, "IMAGE_LEVEL"))
            continue;
        const std::size_t keyword = static_cast<std::size_t>(w.data() - text.data());
        const std::size_t after = in.position();
        std::string_view value;
        if (!in.word(value)) {
            problem.note(keyword, "IMAGE_LEVEL without its value at the end of the file");
        } else if (detail::parseInteger(value, level)) {
            *at = keyword;
        } else {
            problem.note(keyword, "IMAGE_LEVEL needs an integer, not " + shown(value));
            in.seek(after);
        }
    }
    return level;
}

bool SupportFileReader::valueWord(std::string_view &w, const Field &f)
{
    if (m_in.word(w)) {
        ++m_valuesRead;
        return true;
    }
    missingAtEnd(f);
    return false;
}

void SupportFileReader::missingAtEnd(const Field &f)
{
    // A keyword with no value at all as the file's last word is no damage: the writer ends a
    // transverse Mercator file with a bare GRID_NAME. Values cut short are.
    if (m_valuesRead > 0)
        m_problem.note(m_text.size(), std::string(f.keyword) + " cut short at the end of the file");
}

bool SupportFileReader::refuse(std::string_view w, const Field &f, const char *wanted)
{
    m_problem.note(offsetOf(w), std::string(f.keyword) + " needs " + wanted + ", not " + shown(w));
    m_in.seek(offsetOf(w));
    return false;
}

bool SupportFileReader::number(double &field, const Field &f)
{
    std::string_view w;
    if (!valueWord(w, f))
        return false;
    return detail::parseNumber(w, field) || refuse(w, f, "a number");
}

bool SupportFileReader::integer(int &field, const Field &f)
{
    std::string_view w;
    if (!valueWord(w, f))
        return false;
    return detail::parseInteger(w, field) || refuse(w, f, "an integer");
}

template<std::size_t N>
bool SupportFileReader::numbers(std::array<double, N> &field, const Field &f)
{
    std::array<double, N> values;
    for (double &v : values) {
        if (!number(v, f))
            return false;
    }
    field = values;
    return true;
}

bool SupportFileReader::flag(bool &field, const Field &f)
{
    std::string_view w;
    if (!valueWord(w, f))
        return false;
    field = detail::equalsUpper(w, "TRUE");
    if (!field && !detail::equalsUpper(w, "FALSE"))
        m_problem.note(offsetOf(w),
                       std::string(f.keyword) + " needs TRUE or FALSE, not " + shown(w));
    return true;
}

bool SupportFileReader::word(std::string &field, const Field &f)
{
    std::string_view w;
    if (!valueWord(w, f))
        return false;
    field.assign(w.data(), w.size());
    return true;
}

template<typename Enum> bool SupportFileReader::enumeration(Enum &field, const Field &f)
{
    std::string_view w;
    if (!valueWord(w, f))
        return false;
    int value = 0;
    if (!detail::enumWords(field).find(w, value)) {
        // The word is consumed: it is a value, just not one of the list.
        m_problem.note(offsetOf(w), std::string(f.keyword) + ": unknown word " + shown(w));
        return false;
    }
    field = static_cast<Enum>(value);
    return true;
}

bool SupportFileReader::quotedLine(std::string &field, const Field &f)
{
    const std::size_t at = m_in.position();
    std::string_view line;
    bool cut = false;
    if (!m_in.restOfLine(line, &cut)) {
        missingAtEnd(f);
        return false;
    }
    const std::string_view trimmed = detail::trimBlanks(line);
    if (cut)
        m_problem.note(at, std::string(f.keyword) + " longer than 254 characters");
    else if (trimmed.size() < 2 || trimmed.front() != '"' || trimmed.back() != '"')
        m_problem.note(at, std::string(f.keyword) + " needs a value in double quotes");
    const std::string_view value = detail::unquote(line);
    field.assign(value.data(), value.size());
    m_value = value;
    m_valueSet = true;
    m_cut = cut;
    return true;
}

bool SupportFileReader::date(bool quoted, std::int64_t &field, const Field &f)
{
    const std::size_t at = m_in.position();
    std::string_view line;
    if (!m_in.restOfLine(line)) {
        missingAtEnd(f);
        return false;
    }
    const std::string_view text = quoted ? detail::unquote(line) : detail::trimBlanks(line);
    // An empty date is what the writer writes for one that the C library cannot format; it
    // leaves the field as it was.
    if (detail::convertDateTime(text, field)) {
        m_value = text;
        m_valueSet = true;
        return true;
    }
    if (text.empty())
        return false;
    m_problem.note(at, std::string(f.keyword) + " is no date: " + shown(text));
    return false;
}

bool SupportFileReader::imageFileBlock(std::vector<SupportFile::ImageMinification> &list,
                                       const Field &f)
{
    SupportFile::ImageMinification entry;
    std::string_view w, line;
    const auto broken = [&](std::string what) {
        m_problem.note(m_in.position(), "broken image-file block: " + what, Problem::Stop);
        return false;
    };
    if (!m_in.word(w))
        return broken(std::string(f.keyword) + " without its level at the end of the file");
    if (!detail::parseInteger(w, entry.level))
        return broken("the level is no integer: " + shown(w));
    bool cut = false;
    if (!m_in.restOfLine(line, &cut))
        return broken("no file name at the end of the file");
    const std::string_view name = detail::unquote(line);
    entry.fileName.assign(name.data(), name.size());
    for (const auto &[keyword, value] : {std::make_pair(detail::linesKeyword, &entry.lines),
                                         std::make_pair(detail::samplesKeyword, &entry.samples)}) {
        if (!m_in.word(w))
            return broken(std::string(keyword) + " missing at the end of the file");
        if (!detail::equalsUpper(w, keyword))
            return broken(std::string(keyword) + " expected, not " + shown(w));
        if (!m_in.word(w))
            return broken(std::string(keyword) + " without its value at the end of the file");
        if (!detail::parseInteger(w, *value))
            return broken(std::string(keyword) + " needs an integer, not " + shown(w));
    }
    list.push_back(std::move(entry));
    m_value = name;
    m_valueSet = true;
    m_cut = cut;
    return true;
}

// Numbers into a double or into every element of an array.
struct NumbersInto
{
    SupportFileReader &reader;
    const Field &f;

    bool operator()(double SupportFile::*m) { return reader.number(reader.m_record.*m, f); }
    template<std::size_t N> bool operator()(std::array<double, N> SupportFile::*m)
    {
        return reader.numbers(reader.m_record.*m, f);
    }
    template<typename Other> bool operator()(Other) { return false; }
};

struct EnumInto
{
    SupportFileReader &reader;
    const Field &f;

    template<typename T> bool operator()(T SupportFile::*m)
    {
        if constexpr (std::is_enum_v<T>)
            return reader.enumeration(reader.m_record.*m, f);
        return false;
    }
    bool operator()(std::monostate) { return false; }
};

bool SupportFileReader::read(const Field &f, bool *stored)
{
    bool &ok = *stored;
    ok = false;
    switch (f.form) {
    case ValueForm::Word:
        ok = word(target<std::string>(f.member), f);
        break;
    case ValueForm::QuotedLine:
        ok = quotedLine(target<std::string>(f.member), f);
        break;
    case ValueForm::Integer:
        ok = integer(target<int>(f.member), f);
        break;
    case ValueForm::Numbers:
        ok = std::visit(NumbersInto {*this, f}, f.member);
        break;
    case ValueForm::Element: {
        double value;
        ok = number(value, f);
        if (ok)
            target<std::array<double, 4>>(f.member)[f.index] = value;
        break;
    }
    case ValueForm::RowOffset: {
        double value;
        ok = number(value, f);
        if (ok)
            target<double>(f.member) = value + 1.0; // the record counts lines from 1
        break;
    }
    case ValueForm::ElevationRange: {
        std::array<double, 2> minMax;
        ok = numbers(minMax, f);
        if (ok) {
            target<double>(f.member) = minMax[0];
            target<double>(f.second) = minMax[1];
        }
        break;
    }
    case ValueForm::Flag:
        ok = flag(target<bool>(f.member), f);
        break;
    case ValueForm::Enumeration:
        ok = std::visit(EnumInto {*this, f}, f.member);
        break;
    case ValueForm::QuotedDate:
    case ValueForm::PlainDate:
        ok = date(f.form == ValueForm::QuotedDate, target<std::int64_t>(f.member), f);
        break;
    case ValueForm::ImageFiles:
        ok = imageFileBlock(target<std::vector<SupportFile::ImageMinification>>(f.member), f);
        return ok;
    case ValueForm::Level:
        break; // read by the detection
    }
    return true;
}

bool SupportFileReader::load(int level, const std::string &path)
{
    const unsigned bit = 1u << level;
    std::string_view w;
    while (m_in.word(w)) {
        // Unknown words, keywords of other levels and "IMAGE_LEVEL" (read by the detection)
        // are skipped; so are, one by one, the words of their values.
        const Field *f = detail::findField(w);
        if (!f && hasControlCharacters(w))
            m_problem.note(offsetOf(w), "binary data " + shown(w));
        if (!f || !(f->levels & bit))
            continue;
        m_valuesRead = 0;
        m_valueSet = false;
        m_cut = false;
        const std::size_t start = m_in.position();
        bool stored = false;
        const bool goOn = read(*f, &stored);
        if (stored && m_entries) {
            const std::string_view value = m_valueSet
                ? m_value
                : detail::trimBlanks(m_text.substr(start, m_in.position() - start));
            m_entries->push_back({f->keyword, std::string(value), lineOf(offsetOf(w)), m_cut});
        }
        if (!goOn)
            return false;
    }
    m_record.m_l0ImageName = path;
    return true;
}

int SupportFileReader::run(SupportFile &record, const std::string &path, bool quiet, bool *opened,
                           Failure *failure, std::vector<SupportFileEntry> *entries)
{
    std::string text;
    if (!detail::readWholeFile(path, text, failure)) {
        // Unreadable: level 0, whose loader cannot open the file either.
        *opened = false;
        record.m_imageLevel = 0;
        return 0;
    }
    *opened = true;
    Problem problem;
    detail::Scanner lines(text);
    std::string_view first;
    if (!lines.word(first))
        problem.note(0, "empty file", Problem::Foreign);
    else if (!detail::equalsUpper(first, "SUPPORT_FILE"))
        problem.note(static_cast<std::size_t>(first.data() - text.data()),
                     "not a support file (it begins with " + shown(first) + ")", Problem::Foreign);

    std::size_t levelAt = 0;
    const int level = checkImageLevel(text, problem, &levelAt);
    record.m_imageLevel = level;
    if (level < 0 || level > 2) {
        if (!quiet)
            std::cerr << "Unsupported image level" << std::endl;
        problem.note(levelAt, "unsupported image level " + std::to_string(level), Problem::Stop);
    } else {
        if (entries && levelAt != std::string_view::npos) {
            detail::Scanner at(text);
            at.seek(levelAt);
            std::string_view keyword, value;
            at.word(keyword);
            at.word(value);
            entries->push_back({"IMAGE_LEVEL", std::string(value), lines.lineAt(levelAt), false});
        }
        SupportFileReader(record, text, problem, entries).load(level, path);
    }
    if (problem.found && failure)
        *failure =
            Failure::document(QFile::decodeName(path.c_str()), int(lines.lineAt(problem.position)),
                              0, QString::fromStdString(problem.what));
    return level;
}

int SupportFile::loadFile(const std::string &path)
{
    bool opened = false;
    return SupportFileReader::run(*this, path, false, &opened, nullptr);
}

SupportFile::ReadStatus SupportFile::loadFileChecked(const std::string &path, Failure *failure)
{
    bool opened = false;
    Failure found;
    SupportFileReader::run(*this, path, true, &opened, &found);
    const bool damaged = !found.reason.isEmpty();
    if (failure)
        *failure = std::move(found);
    if (!opened)
        return ReadStatus::Unreadable;
    return damaged ? ReadStatus::Damaged : ReadStatus::Complete;
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

SupportFile::ReadStatus SupportFile::loadFileChecked(const std::string &path, QString *errorString)
{
    Failure failure;
    const ReadStatus status = loadFileChecked(path, &failure);
    if (errorString)
        *errorString = failure.text();
    return status;
}

SupportFile::ReadStatus loadSupportFileContent(SupportFile &record, const std::string &path,
                                               std::vector<SupportFileEntry> *entries,
                                               Failure *failure)
{
    std::vector<SupportFileEntry> listed;
    bool opened = false;
    Failure found;
    SupportFileReader::run(record, path, true, &opened, &found, &listed);
    if (entries)
        *entries = std::move(listed);
    const bool damaged = !found.reason.isEmpty();
    if (failure)
        *failure = std::move(found);
    if (!opened)
        return SupportFile::ReadStatus::Unreadable;
    return damaged ? SupportFile::ReadStatus::Damaged : SupportFile::ReadStatus::Complete;
}

const SupportFileEntry *findEntry(const std::vector<SupportFileEntry> &entries,
                                  const std::string &keyword)
{
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->keyword == keyword)
            return &*it;
    }
    return nullptr;
}

} // namespace util
