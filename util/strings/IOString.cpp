#include "util/strings/IOString.h"

#include <algorithm>

namespace util {

namespace {

const char *const separators = ":/\\";

size_t lastSeparator(const std::string &path)
{
    return path.find_last_of(separators);
}

// Position of the dot that starts the extension, or npos.
size_t extensionDot(const std::string &path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return dot;
    const size_t sep = lastSeparator(path);
    if (sep != std::string::npos && dot < sep)
        return std::string::npos;
    return dot;
}

} // namespace

std::string IOString::getExtension(const std::string &path)
{
    const size_t dot = extensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

std::string IOString::changeExtension(const std::string &path, const std::string &extension)
{
    std::string copy = path;
    std::replace(copy.begin(), copy.end(), '/', '\\');
    const size_t dot = extensionDot(copy);
    if (dot != std::string::npos) {
        if (extension.empty())
            copy.erase(dot);
        else
            copy.replace(dot + 1, std::string::npos, extension);
    } else if (!extension.empty()) {
        copy += '.';
        copy += extension;
    }
    return copy;
}

std::string IOString::getFileName(const std::string &path)
{
    const size_t sep = lastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string IOString::getBaseName(const std::string &path)
{
    const std::string name = getFileName(path);
    return name.substr(0, name.find('.'));
}

std::string IOString::getPath(const std::string &path)
{
    const size_t sep = lastSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

std::string IOString::removeTrailingPathDelimeter(const std::string &path)
{
    if (lastSeparator(path) == std::string::npos)
        return std::string();
    const size_t last = path.find_last_not_of(separators);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

void IOString::trim(std::string &text, const std::string &characters)
{
    const size_t first = text.find_first_not_of(characters);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    const size_t last = text.find_last_not_of(characters);
    text = text.substr(first, last - first + 1);
}

void IOString::trim2(std::string &text, char c)
{
    trim(text, std::string(1, c));
}

std::string IOString::removeKeyword(std::string &line)
{
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string::npos)
        return std::string();
    std::string keyword = line.substr(0, blank);
    line.erase(0, blank);
    trim(line, " \t");
    return keyword;
}

} // namespace util
