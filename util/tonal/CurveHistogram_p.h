#pragma once

// Internal: the image's histograms drawn behind the curves of CurveEditorWidget.

#include "util/TestSeam_p.h"

#include <qwt_plot_item.h>

#include <QPolygonF>
#include <QStringList>
#include <QVector>

namespace util {

struct ImagePreviewData;

namespace detail {

class UTIL_TEST_SEAM HistogramItem : public QwtPlotItem
{
public:
    /// Display bins a band's histogram is reduced to: finer would not show on a canvas.
    static constexpr int displayBins = 512;

    HistogramItem();

    /// Takes the (completed) image's histograms and band roles.
    void setImage(const ImagePreviewData &image);
    void clear();
    bool isEmpty() const;
    void setLogarithmic(bool logarithmic);
    bool isLogarithmic() const;
    /// The editor band being edited: its image bands are drawn, or every band for "All" or a
    /// band the image does not have.
    void setBand(const QString &band);
    /// The level scale of the curves the histograms are drawn against.
    void setMaxDn(int maxDn);

    /// The outlines drawn, in levels, one a band drawn, and that band's index in the image.
    QVector<QPolygonF> shapes(QVector<int> *bands = nullptr) const;

    int rtti() const override;
    void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
              const QRectF &canvasRect) const override;

private:
    QStringList names;
    QStringList roles;
    QVector<QVector<double>> counts; // displayBins or fewer a band
    int maxValue = 65535;
    int maxDn = 65536;
    QString band = QStringLiteral("All");
    bool logarithmic = false;
};

} // namespace detail
} // namespace util
