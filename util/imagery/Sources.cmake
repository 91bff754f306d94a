# The imagery family is a library of its own (quorutil_imagery, util/imagery/CMakeLists.txt):
# it links GDAL, which nothing else in util needs.
list(APPEND UTIL_IMAGERY_PUBLIC_HEADERS
    imagery/ApplyCurves.h
    imagery/RasterPreview.h)
list(APPEND UTIL_IMAGERY_SOURCES
    imagery/ApplyCurves.cpp
    imagery/RasterPreview.cpp
    imagery/Gdal_p.h
    imagery/Gdal.cpp)
