#pragma once

// The plot curves of CurveEditor: copies of an editor share them, so each carries a count of
// the editors that hold it, and the last one to let it go deletes it.

#include <qwt_plot_curve.h>

#include <QString>

namespace util::detail {

class SharedPlotCurve : public QwtPlotCurve
{
public:
    explicit SharedPlotCurve(const QString &title)
        : QwtPlotCurve(title)
    {
    }

    int holders = 1;
};

/// A new plot curve titled with the band id, held once.
inline QwtPlotCurve *createPlotCurve(const QString &band)
{
    return new SharedPlotCurve(band);
}

inline void holdPlotCurve(QwtPlotCurve *curve)
{
    if (curve)
        ++static_cast<SharedPlotCurve *>(curve)->holders;
}

/// Lets the curve go; the last holder detaches and deletes it.
inline void releasePlotCurve(QwtPlotCurve *curve)
{
    if (!curve)
        return;
    auto *shared = static_cast<SharedPlotCurve *>(curve);
    if (--shared->holders == 0) {
        shared->detach();
        delete shared;
    }
}

} // namespace util::detail
