list(APPEND UTIL_SOURCES
    config/QuorEnvironment.h
    config/QuorEnvironment.cpp
    config/QuorEnvironment_linux.cpp
    config/WaitCursor.h
    config/WaitCursor.cpp)
list(APPEND UTIL_SOURCES
    config/IniTool.h
    config/IniTool.cpp)
