list(APPEND UTIL_PUBLIC_HEADERS
    files/AtomicWrite.h
    files/auto_file.h
    files/FileOps.h)
list(APPEND UTIL_SOURCES
    TestSeam_p.h
    files/UniqueFd_p.h
    files/AtomicWrite.cpp
    files/auto_file.cpp
    files/FileOps_linux.cpp)
