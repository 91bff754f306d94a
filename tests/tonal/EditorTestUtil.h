#pragma once

// Driving the curve editor's widgets as a user does: events on the plot's canvas, at the pixels
// of levels as the plot maps them.

#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"

#include <qwt_plot.h>
#include <qwt_plot_canvas.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

namespace quortest {

using util::CurveEditorWidget;
using util::CurveEditorWindow;

inline QwtPlot *plotOf(QWidget *widget)
{
    return widget->findChild<QwtPlot *>();
}

// The canvas pixel of a point in levels, and back, as the plot maps them.
inline QPoint pixelOf(QwtPlot *plot, const QPointF &levels)
{
    return QPoint(int(std::lround(plot->transform(QwtPlot::xBottom, levels.x()))),
                  int(std::lround(plot->transform(QwtPlot::yLeft, levels.y()))));
}

inline QPointF levelsOf(QwtPlot *plot, const QPoint &pixel)
{
    return QPointF(plot->invTransform(QwtPlot::xBottom, pixel.x()),
                   plot->invTransform(QwtPlot::yLeft, pixel.y()));
}

inline float toleranceAt(QwtPlot *plot, const QPoint &pixel)
{
    return float(
        std::fabs(plot->invTransform(QwtPlot::xBottom, pixel.x() + CurveEditorWidget::pickTolerance)
                  - plot->invTransform(QwtPlot::xBottom, pixel.x())));
}

inline void send(QWidget *target, QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void rightClick(QWidget *canvas, const QPoint &pos)
{
    QMouseEvent press(QEvent::MouseButtonPress, pos, canvas->mapToGlobal(pos), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, canvas->mapToGlobal(pos), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &release);
}

// Press at one point, move through the others, release at the last.
inline void drag(QWidget *canvas, const QVector<QPoint> &path)
{
    send(canvas, QEvent::MouseButtonPress, path.first(), Qt::LeftButton);
    for (int i = 1; i < path.size(); ++i)
        send(canvas, QEvent::MouseMove, path[i], Qt::LeftButton);
    send(canvas, QEvent::MouseButtonRelease, path.last(), Qt::NoButton);
}

inline void key(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

// Pixels close to the colour, as anti-aliased lines draw it.
inline int pixelsNear(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                    + std::abs(c.blue() - colour.blue())
                < 40)
                ++count;
        }
    }
    return count;
}

class ShownWindow
{
public:
    ShownWindow()
    {
        window.resize(900, 640);
        window.show();
        QCoreApplication::processEvents();
        plot = plotOf(&window);
        plot->replot();
        canvas = plot->canvas();
    }

    CurveEditorWindow window;
    QwtPlot *plot = nullptr;
    QWidget *canvas = nullptr;
};

} // namespace quortest
