list(APPEND UTIL_PUBLIC_HEADERS
    naming/NameGenerator.h
    naming/FileSessionNameGenerator.h
    naming/SupFilenamePattern.h)
list(APPEND UTIL_SOURCES
    naming/NameGenerator.cpp
    naming/FileSessionNameGenerator.cpp
    naming/SupFilenamePattern.cpp)
