#include "util/files/SystemError.h"

#include "util/files/Failure.h"

namespace util {

std::string systemErrorText(int error)
{
    return std::to_string(error) + " (" + systemReason(error).toStdString() + ")";
}

} // namespace util
