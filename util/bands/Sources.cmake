list(APPEND UTIL_PUBLIC_HEADERS
    bands/VynString.h
    bands/BandCodes.h
    bands/ProductBandMapper.h
    bands/ProductGenerator.h)
list(APPEND UTIL_SOURCES
    bands/VynString.cpp
    bands/BandCodes.cpp
    bands/ProductBandMapper.cpp
    bands/ProductGenerator.cpp
    bands/ProductsXml_p.h
    bands/ProductsXml.cpp
    bands/ProductCombinations_p.h)
