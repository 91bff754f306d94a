list(APPEND UTIL_PUBLIC_HEADERS
    processing/PyramidBuilder.h
    processing/GpsTime.h
    processing/GpsWeeks.h
    processing/TriangDataImagePoint.h)
list(APPEND UTIL_SOURCES
    processing/PyramidBuilder.cpp
    processing/GpsTime.cpp
    processing/GpsWeeks.cpp
    processing/TriangDataImagePoint.cpp)
