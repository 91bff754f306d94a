#pragma once

#include "util/UtilExport.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace util {

class CurveEditor;
struct ImagePreviewData;

/// A preview of an image with an editor's curves applied: each band goes through the curve of
/// its role (a band without one through "All"), and the result is shown as true colour (the Red,
/// Green and Blue bands) or colour infrared (Infrared, Red, Green), scaled to fit, without
/// distortion. An image without those roles shows its first three bands, or its one band grey.
///
/// Each change of curves builds one lookup table per band from the curve (image level to
/// 8-bit display level) and then looks every sample up, so that the preview can follow a
/// dragged node.
class UTIL_EXPORT CurvePreviewWidget : public QWidget
{
    Q_OBJECT

public:
    enum Composite { TrueColour, ColourInfrared };

    explicit CurvePreviewWidget(QWidget *parent = nullptr);
    ~CurvePreviewWidget() override;

    /// Shows the image (completed as completePreviewData does); false, with a reason, and the
    /// preview left as it was, when isValidPreviewData refuses it.
    bool setImage(const ImagePreviewData &image, QString *reason = nullptr);
    void clearImage();
    bool hasImage() const;
    /// The image shown (completed), empty without one.
    const ImagePreviewData &image() const;

    /// Applies the editor's curves (their level scale is the editor's maxDn; the image's is
    /// its maxValue) and redraws.
    void setCurves(const CurveEditor &editor);

    Composite composite() const;
    void setComposite(Composite composite);

    /// The picture at the image's size, as the curves make it (null without an image).
    QImage picture() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
