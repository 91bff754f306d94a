// Linux side of the environment queries: the executable's name from /proc and the processor's
// feature bits from cpuid.
#include "util/config/QuorEnvironment_p.h"

#include <unistd.h>

#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace util {
namespace detail {

std::string executableName()
{
    // The link's target length is not known in advance; grow until it fits.
    std::vector<char> buffer(512);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

unsigned int cpuidLeaf1Ecx()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return ecx;
#endif
    return 0;
}

} // namespace detail
} // namespace util
