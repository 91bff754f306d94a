# The contracts every family may report through: beneath files, beside strings.
list(APPEND UTIL_PUBLIC_HEADERS
    core/ProgressInterface.h
    core/SubtaskProgressInterface.h)
list(APPEND UTIL_SOURCES
    core/ProgressInterface.cpp
    core/SubtaskProgressInterface.cpp)
