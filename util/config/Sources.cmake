list(APPEND UTIL_PUBLIC_HEADERS
    config/QuorEnvironment.h
    config/WaitCursor.h
    config/IniTool.h)
list(APPEND UTIL_SOURCES
    config/QuorEnvironment_p.h
    config/QuorEnvironment.cpp
    config/QuorEnvironment_linux.cpp
    config/WaitCursor.cpp
    config/IniTool.cpp)
