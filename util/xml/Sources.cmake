list(APPEND UTIL_PUBLIC_HEADERS
    xml/XmlValidator.h
    xml/XmlCompare.h
    xml/XmlFile.h)
list(APPEND UTIL_SOURCES
    xml/XmlDepthGuard_p.h
    xml/XmlDepthGuard.cpp
    xml/SchemaCache_p.h
    xml/SchemaCache.cpp
    xml/XmlFile.cpp
    xml/XmlValidator.cpp
    xml/XmlCompare.cpp)
