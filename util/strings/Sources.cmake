list(APPEND UTIL_PUBLIC_HEADERS
    strings/NumberFormat.h
    strings/StringHelpers.h
    strings/IOString.h
    strings/IOQString.h)
list(APPEND UTIL_SOURCES
    strings/NumberFormat.cpp
    strings/StringHelpers.cpp
    strings/IOString.cpp
    strings/IOQString.cpp)
