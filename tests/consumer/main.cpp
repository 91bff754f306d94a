#include "util/UtilExport.h"
#include "util/UtilVersion.h"
#include "util/strings/StringHelpers.h"

#include <iostream>

static_assert(UTIL_VERSION >= UTIL_VERSION_CHECK(6, 2, 0), "the installed version header");

int main()
{
    const std::string text = util::DMSString(10.5, false, 4);
    std::cout << text << " (util " << UTIL_VERSION_STRING << ")\n";
    return text == " 10:30:0.0000" ? 0 : 1;
}
