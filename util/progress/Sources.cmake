list(APPEND UTIL_PUBLIC_HEADERS
    progress/ProgressInterface.h
    progress/SubtaskProgressInterface.h
    progress/ProgressInterfaceStd.h
    progress/ProgressInterfaceFancy.h
    progress/ProgressDatagram.h
    progress/ProgressInterfaceUdp.h
    progress/ProgressInterfaceQt.h
    progress/QtProgressDialog.h)
list(APPEND UTIL_SOURCES
    progress/ProgressTime_p.h
    progress/ProgressTime.cpp
    progress/ProgressInterfaceStd.cpp
    progress/ProgressInterfaceFancy.cpp
    progress/ProgressDatagram.cpp
    progress/ProgressInterfaceUdp.cpp
    progress/ProgressInterfaceQt.cpp
    progress/QtProgressDialog.cpp
    progress/QtProgressDialog.ui)
