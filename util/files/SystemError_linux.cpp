#include "util/files/SystemError.h"

#include <cstring>

namespace util {

std::string systemErrorText(int error)
{
    // strerror() would follow LC_MESSAGES; strerrordesc_np() gives the untranslated text.
    const char *reason = ::strerrordesc_np(error);
    return std::to_string(error) + " (" + (reason ? reason : "Unknown error") + ")";
}

} // namespace util
