list(APPEND UTIL_PUBLIC_HEADERS
    progress/ProgressInterface.h
    progress/SubtaskProgressInterface.h
    progress/ProgressInterfaceStd.h
    progress/ProgressInterfaceFancy.h
    progress/ProgressInterfaceUdp.h
    progress/ProgressInterfaceQt.h
    progress/QtProgressDialog.h)
list(APPEND UTIL_SOURCES
    progress/ProgressInterface.cpp
    progress/SubtaskProgressInterface.cpp
    progress/ProgressInterfaceStd.cpp
    progress/ProgressInterfaceFancy.cpp
    progress/ProgressInterfaceUdp.cpp
    progress/ProgressInterfaceQt.cpp
    progress/QtProgressDialog.cpp
    progress/QtProgressDialog.ui)
