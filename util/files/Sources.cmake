list(APPEND UTIL_SOURCES
    files/UniqueFd.h
    files/AtomicWrite.h files/AtomicWrite.cpp
    files/auto_file.h files/auto_file.cpp
    files/FileOps.h files/FileOps_linux.cpp)
