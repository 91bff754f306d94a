#pragma once

/// \file
/// The preview of an image with a curve editor's curves applied.
/// \ingroup tonal

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
/// \ingroup tonal
class UTIL_EXPORT CurvePreviewWidget : public QWidget
{
    Q_OBJECT

public:
    /// Which bands the preview shows as red, green and blue.
    enum Composite {
        TrueColour, ///< The Red, Green and Blue bands as red, green and blue.
        ColourInfrared ///< The Infrared, Red and Green bands as red, green and blue.
    };

    /// An empty preview, true colour.
    /// \param parent the parent widget, or null.
    explicit CurvePreviewWidget(QWidget *parent = nullptr);
    /// Destroys the preview.
    ~CurvePreviewWidget() override;

    /// Shows the image (completed as completePreviewData does); false, with a reason, and the
    /// preview left as it was, when isValidPreviewData refuses it.
    ///
    /// Until setCurves() is called, the image is shown as it is, through identity curves over
    /// 0 to its maxValue.
    /// \param image the image shown.
    /// \param[out] reason receives why the image is refused, when given; may be null.
    /// \return true when the image is shown; false when it is refused.
    bool setImage(const ImagePreviewData &image, QString *reason = nullptr);
    /// Removes the image; the preview shows "No image".
    void clearImage();
    /// True while an image is shown.
    /// \return whether there is an image.
    bool hasImage() const;
    /// The image shown (completed), empty without one.
    /// \return the image; the reference stays valid as long as the widget does.
    const ImagePreviewData &image() const;

    /// Applies the editor's curves (their level scale is the editor's maxDn; the image's is
    /// its maxValue) and redraws.
    ///
    /// Does nothing without an image: curves given before setImage() are not kept.
    /// \param editor the editor whose curves are applied.
    void setCurves(const CurveEditor &editor);

    /// The bands shown as red, green and blue.
    /// \return the composite, TrueColour unless set.
    Composite composite() const;
    /// Shows other bands as red, green and blue, and redraws.
    /// \param composite the composite to show.
    void setComposite(Composite composite);

    /// The picture at the image's size, as the curves make it (null without an image).
    /// \return the picture.
    QImage picture() const;

    /// The size the preview would like: 360 by 360 pixels.
    /// \return the size.
    QSize sizeHint() const override;

protected:
    /// Draws the picture scaled to fit and centred on a dark ground, or "No image" without one.
    /// \param event the paint event (the whole widget is drawn).
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace util
