#pragma once

// Internal: the one place that names the editor's bands, maps the band names files use onto
// them and gives each band its colour, so that a curve looks the same in the editor, in its
// preview and in `quorutil lut --plot`.

#include <QColor>
#include <QString>
#include <QStringList>

namespace util {
namespace detail {

/// The bands the editor offers, "All" first.
inline const QStringList &editorBands()
{
    static const QStringList bands = {QStringLiteral("All"), QStringLiteral("Red"),
                                      QStringLiteral("Green"), QStringLiteral("Blue"),
                                      QStringLiteral("Infrared")};
    return bands;
}

/// The editor's band for a break-point file's band name: RED, GRN or GREEN, BLU or BLUE, NIR or
/// IR, in any case; the editor's own names map to themselves. Anything else is returned empty.
inline QString editorBandOf(const QString &name)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("ALL"))
        return QStringLiteral("All");
    if (upper == QLatin1String("RED"))
        return QStringLiteral("Red");
    if (upper == QLatin1String("GRN") || upper == QLatin1String("GREEN"))
        return QStringLiteral("Green");
    if (upper == QLatin1String("BLU") || upper == QLatin1String("BLUE"))
        return QStringLiteral("Blue");
    if (upper == QLatin1String("NIR") || upper == QLatin1String("IR")
        || upper == QLatin1String("INFRARED"))
        return QStringLiteral("Infrared");
    return QString();
}

/// The editor's band a band of an image or a plot is shown as, by looser rules than a file's
/// band names: also names that start with a colour (RED_A, NIR1, BLUE) and the one-letter R, G,
/// B, N. Anything else is returned empty.
inline QString colourRoleOf(const QString &name)
{
    const QString exact = editorBandOf(name);
    if (!exact.isEmpty())
        return exact;
    const QString upper = name.toUpper();
    if (upper.startsWith(QLatin1String("RED")) || upper == QLatin1String("R"))
        return QStringLiteral("Red");
    if (upper.startsWith(QLatin1String("GRN")) || upper.startsWith(QLatin1String("GREEN"))
        || upper == QLatin1String("G"))
        return QStringLiteral("Green");
    if (upper.startsWith(QLatin1String("BLU")) || upper == QLatin1String("B"))
        return QStringLiteral("Blue");
    if (upper.startsWith(QLatin1String("NIR")) || upper.startsWith(QLatin1String("INFRARED"))
        || upper == QLatin1String("N"))
        return QStringLiteral("Infrared");
    return QString();
}

/// The colour a band's curve, histogram and legend are drawn in. A name the editor does not know
/// (PAN, a numbered band) takes a colour of a small palette by its index among the bands drawn.
inline QColor bandColour(const QString &name, int index = 0)
{
    const QString band = name.isEmpty() ? QStringLiteral("All") : colourRoleOf(name);
    if (band == QLatin1String("All"))
        return QColor(50, 50, 90); // not a grey: text and axes are drawn in greys
    if (band == QLatin1String("Red"))
        return QColor(200, 30, 30);
    if (band == QLatin1String("Green"))
        return QColor(30, 150, 30);
    if (band == QLatin1String("Blue"))
        return QColor(30, 60, 210);
    if (band == QLatin1String("Infrared"))
        return QColor(140, 40, 140);
    if (name.toUpper().startsWith(QLatin1String("PAN")) || name.toUpper() == QLatin1String("P"))
        return QColor(100, 100, 100);
    static const QColor palette[] = {QColor(0, 140, 140), QColor(200, 120, 0), QColor(120, 80, 40),
                                     QColor(90, 90, 200)};
    return palette[(index % 4 + 4) % 4];
}

} // namespace detail
} // namespace util
