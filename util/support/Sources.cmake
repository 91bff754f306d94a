list(APPEND UTIL_SOURCES
    support/SupportFile.h support/SupportFile.cpp
    support/SupportFileReader.cpp
    support/SupportFileWriter.cpp
    support/SupportFileIO.h support/SupportFileIO_linux.cpp)
