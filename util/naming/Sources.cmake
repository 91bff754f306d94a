list(APPEND UTIL_SOURCES
    naming/NameGenerator.h naming/NameGenerator.cpp
    naming/FileSessionNameGenerator.h naming/FileSessionNameGenerator.cpp
    naming/SupFilenamePattern.h naming/SupFilenamePattern.cpp)
