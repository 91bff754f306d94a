#include "util/strings/StringHelpers.h"

#include "util/strings/NumberFormat.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace util {

namespace {

// "%3d" with a space flag: a space or minus sign in front, at least three wide in all.
std::string signedField3(int value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "% 3d", value);
    return buf;
}

// "%06.4f" without the locale: zero padding goes after the sign.
std::string seconds064(double seconds)
{
    std::string text = formatFixed(seconds, 4);
    if (!std::isfinite(seconds))
        return text.size() < 6 ? std::string(6 - text.size(), ' ') + text : text;
    if (text.size() < 6) {
        const size_t signLen = (text[0] == '-') ? 1 : 0;
        text.insert(signLen, 6 - text.size(), '0');
    }
    return text;
}

} // namespace

std::string DMSString(int degrees, int minutes, double seconds, bool negative)
{
    char minutesText[16];
    std::snprintf(minutesText, sizeof minutesText, "%02d", minutes);
    if (degrees == 0 && negative)
        return "-" + signedField3(0) + ":" + minutesText + ":" + seconds064(seconds);
    return signedField3(degrees) + ":" + minutesText + ":" + seconds064(seconds);
}

std::string DMSString(double angle, bool inRadians, int precision)
{
    double d = inRadians ? angle * 57.29577951308232 : angle;
    // Clamp first, so that the fraction below stays within one degree and every cast to int is
    // defined; NaN reads as 0.
    if (std::isnan(d))
        d = 0.0;
    d = std::clamp(d, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX));
    int degrees = static_cast<int>(d);
    const double f = d - degrees;
    int minutes = static_cast<int>(std::fabs(f * 60));
    double seconds = (std::fabs(f) - minutes * 0.016666666666666666) * 60 * 60;

    if (seconds >= 60 - 0.5 * std::pow(10.0, -static_cast<double>(precision))) {
        seconds = 0;
        if (minutes >= 59) {
            minutes = 0;
            if (d >= 0) {
                if (degrees < INT_MAX)
                    ++degrees;
            } else if (degrees > INT_MIN) {
                --degrees;
            }
        } else {
            ++minutes;
        }
    }
    return DMSString(degrees, minutes, seconds, !(angle >= 0));
}

void tokenize(const std::string &text, std::vector<std::string> &tokens,
              const std::string &delimiters, const std::string &preservedDelimiters,
              const std::string &quotes, const std::string &escapes)
{
    tokens.clear();
    std::string token;
    bool quoteOpen = false;
    char quoteChar = 0;
    bool complete = false;

    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        bool add = true;
        bool emit = false;

        if (!escapes.empty() && escapes.find(c) != std::string::npos) {
            ++i;
            if (i < n)
                c = text[i];
            else
                add = false;
        } else {
            if (!quotes.empty() && quotes.find(c) != std::string::npos) {
                if (!quoteOpen) {
                    quoteOpen = true;
                    quoteChar = c;
                    add = false;
                } else if (c == quoteChar) {
                    quoteOpen = false;
                    add = false;
                }
            }
            if (!quoteOpen && delimiters.find(c) != std::string::npos) {
                complete = complete || !token.empty();
                add = false;
            }
            if (!quoteOpen && preservedDelimiters.find(c) != std::string::npos) {
                complete = complete || !token.empty();
                add = false;
                emit = true;
            }
        }

        if (add)
            token += c;
        if (complete && !token.empty()) {
            tokens.push_back(token);
            token.clear();
            complete = false;
        }
        if (emit)
            tokens.emplace_back(1, c);
    }
    if (!token.empty())
        tokens.push_back(token);
}

} // namespace util
