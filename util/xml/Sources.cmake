list(APPEND UTIL_SOURCES
    xml/XmlValidator.h
    xml/XmlValidator.cpp
    xml/XmlCompare.h
    xml/XmlCompare.cpp)
