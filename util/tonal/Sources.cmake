list(APPEND UTIL_PUBLIC_HEADERS
    tonal/TonalCurve.h
    tonal/TonalCurveConverter.h
    tonal/BpfConverter.h
    tonal/TonalCurveFile.h
    tonal/CurveEditor.h
    tonal/CurveEditorWidget.h
    tonal/CurveEditorWindow.h
    tonal/CurvePreviewWidget.h
    tonal/ImagePreviewData.h)
list(APPEND UTIL_SOURCES
    tonal/TonalCurve.cpp
    tonal/TonalCurveConverter.cpp
    tonal/BpfConverter.cpp
    tonal/TonalCurveFile.cpp
    tonal/TonalXml_p.h
    tonal/TonalNumbers_p.h
    tonal/TonalXml.cpp
    tonal/CurveEditor.cpp
    tonal/CurveEditor_p.h
    tonal/CurveEditorWidget.cpp
    tonal/CurveEditorWindow.cpp
    tonal/CurveHistogram_p.h
    tonal/CurveHistogram.cpp
    tonal/CurvePreview_p.h
    tonal/CurvePreviewWidget.cpp
    tonal/ImagePreviewData.cpp
    tonal/TonalBands_p.h)
