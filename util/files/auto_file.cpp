#include "util/files/auto_file.h"

#include <cstring>

namespace util {

namespace {

struct FileCloser
{
    void operator()(FILE *f) const
    {
        if (f)
            std::fclose(f);
    }
};

template<typename Container>
void splitInto(const std::string &text, const std::string &delimiters, Container &out)
{
    out.clear();
    size_t start = text.find_first_not_of(delimiters);
    while (start != std::string::npos) {
        const size_t end = text.find_first_of(delimiters, start);
        out.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = text.find_first_not_of(delimiters, end);
    }
}

} // namespace

auto_file::auto_file()
    : m_buffer {}
{
}

auto_file::auto_file(const char *path, const char *mode)
    : m_buffer {}
{
    open(path, mode);
}

auto_file::auto_file(const auto_file &other)
    : m_handle(other.m_handle)
    , m_lastLine(other.m_lastLine)
{
    std::memcpy(m_buffer, other.m_buffer, sizeof m_buffer);
}

auto_file &auto_file::operator=(const auto_file &other)
{
    if (this != &other) {
        m_handle = other.m_handle; // releases (and, if last, closes) the file held before
        std::memcpy(m_buffer, other.m_buffer, sizeof m_buffer);
        m_lastLine = other.m_lastLine;
    }
    return *this;
}

auto_file::~auto_file() = default;

bool auto_file::isValid() const
{
    return m_handle && !std::feof(m_handle.get());
}

int auto_file::eof() const
{
    return m_handle ? std::feof(m_handle.get()) : 1;
}

int auto_file::open(const char *path, const char *mode)
{
    close();
    if (!path || !mode)
        return -1;
    FILE *f = std::fopen(path, mode);
    if (!f)
        return -1;
    m_handle.reset(f, FileCloser());
    return 1;
}

void auto_file::close()
{
    m_handle.reset();
}

std::string auto_file::getLine()
{
    if (!m_handle || !std::fgets(m_buffer, 255, m_handle.get())) {
        m_buffer[0] = '\0';
        m_lastLine.clear();
        return std::string();
    }
    size_t len = std::strlen(m_buffer);
    if (len > 0 && m_buffer[len - 1] == '\n')
        m_buffer[--len] = '\0';
    m_lastLine.assign(m_buffer, len);
    return m_lastLine;
}

void auto_file::split(const std::string &text, const std::string &delimiters,
                      std::list<std::string> &list)
{
    splitInto(text, delimiters, list);
}

void auto_file::split(const std::string &text, const std::string &delimiters,
                      std::vector<std::string> &list)
{
    splitInto(text, delimiters, list);
}

} // namespace util
