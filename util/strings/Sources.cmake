list(APPEND UTIL_SOURCES
    strings/NumberFormat.h strings/NumberFormat.cpp
    strings/StringHelpers.h strings/StringHelpers.cpp
    strings/IOString.h strings/IOString.cpp
    strings/IOQString.h strings/IOQString.cpp)
