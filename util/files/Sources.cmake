list(APPEND UTIL_PUBLIC_HEADERS
    files/AtomicWrite.h
    files/auto_file.h
    files/FileOps.h
    files/SystemError.h
    files/Failure.h
    files/ReadFile.h
    files/NamedReplacement.h)
list(APPEND UTIL_SOURCES
    TestSeam_p.h
    files/UniqueFd_p.h
    files/FileOps_p.h
    files/FileReplace_p.h
    files/FileReplace_linux.cpp
    files/AtomicWrite.cpp
    files/auto_file.cpp
    files/FileOps_linux.cpp
    files/SystemError_linux.cpp
    files/Failure.cpp
    files/ReadFile_p.h
    files/ReadFile_linux.cpp
    files/NamedReplacement_linux.cpp)
