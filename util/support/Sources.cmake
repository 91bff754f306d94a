list(APPEND UTIL_PUBLIC_HEADERS
    support/SupportFile.h
    support/SupportFileContent.h)
list(APPEND UTIL_SOURCES
    support/SupportFile.cpp
    support/SupportFileReader.cpp
    support/SupportFileFields_p.h
    support/SupportFileFields.cpp
    support/SupportFileScanner_p.h
    support/SupportFileScanner.cpp
    support/SupportFileWriter.cpp
    support/SupportFileImages.cpp
    support/SupportFileContent.cpp
    support/SupportFileIO_p.h
    support/SupportFileIO_linux.cpp)
list(APPEND UTIL_PUBLIC_HEADERS
    support/WorldFile.h
    support/WorldFileWriter.h
    support/LikFile.h)
list(APPEND UTIL_SOURCES
    support/WorldFile.cpp
    support/WorldFileWriter.cpp
    support/LikFile.cpp)
