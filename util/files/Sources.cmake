list(APPEND UTIL_SOURCES
    files/auto_file.h files/auto_file.cpp)
