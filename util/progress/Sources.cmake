list(APPEND UTIL_SOURCES
    progress/ProgressInterface.h progress/ProgressInterface.cpp
    progress/SubtaskProgressInterface.h progress/SubtaskProgressInterface.cpp
    progress/ProgressInterfaceStd.h progress/ProgressInterfaceStd.cpp
    progress/ProgressInterfaceFancy.h progress/ProgressInterfaceFancy.cpp
    progress/ProgressInterfaceUdp.h progress/ProgressInterfaceUdp.cpp
    progress/ProgressInterfaceQt.h progress/ProgressInterfaceQt.cpp
    progress/QtProgressDialog.h progress/QtProgressDialog.cpp progress/QtProgressDialog.ui)
