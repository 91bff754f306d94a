#include "util/UtilExport.h"
#include "util/strings/StringHelpers.h"

#include <iostream>

int main()
{
    const std::string text = util::DMSString(10.5, false, 4);
    std::cout << text << "\n";
    return text == " 10:30:0.0000" ? 0 : 1;
}
