list(APPEND UTIL_PUBLIC_HEADERS
    xml/XmlValidator.h
    xml/XmlCompare.h)
list(APPEND UTIL_SOURCES
    xml/XmlValidator.cpp
    xml/XmlCompare.cpp)
