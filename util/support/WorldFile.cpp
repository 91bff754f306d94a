#include "util/support/WorldFile.h"

#include "util/files/AtomicWrite.h"
#include "util/files/ReadFile.h"
#include "util/strings/NumberFormat.h"

#include <QFile>

#include <cctype>
#include <cmath>

namespace util {

namespace {

// Six numbers never need more; a device or a huge file is not read to its end.
constexpr std::size_t maxWorldFileBytes = 64 * 1024;

// Fixed notation that always shows the decimal point, also with no digits after it.
std::string fixedWithPoint(double value, unsigned int decimals)
{
    // Beyond what a double holds, more digits only add zeros and length.
    const int digits = static_cast<int>(decimals > 340 ? 340 : decimals);
    std::string text = formatFixed(value, digits);
    if (digits == 0 && std::isfinite(value))
        text += '.';
    return text;
}

} // namespace

WorldFile::WorldFile(const std::string &path)
{
    read(path);
}

WorldFile::WorldFile(double topLeftX, double topLeftY, double cellSizeX, double cellSizeY)
    : m_valid(true)
    , m_topLeftX(topLeftX)
    , m_topLeftY(topLeftY)
    , m_cellSizeX(cellSizeX)
    , m_cellSizeY(cellSizeY)
{
}

WorldFile::WorldFile(std::pair<double, double> topLeft, double angle, double cellSize)
    : m_valid(true)
    , m_topLeftX(topLeft.first)
    , m_topLeftY(topLeft.second)
    , m_cellSizeX(std::cos(angle) * cellSize)
    , m_cellSizeY(-std::cos(angle) * cellSize)
    , m_rotX(-std::sin(angle) * cellSize)
    , m_rotY(std::sin(angle) * cellSize)
{
}

WorldFile::WorldFile(const std::array<double, 6> &n)
    : m_valid(true)
    , m_topLeftX(n[4])
    , m_topLeftY(n[5])
    , m_cellSizeX(n[0])
    , m_cellSizeY(-n[3])
    , m_rotX(n[2])
    , m_rotY(n[1])
{
}

bool WorldFile::read(const std::string &path)
{
    return read(path, nullptr);
}

bool WorldFile::read(const std::string &path, Failure *failure)
{
    m_valid = false;
    const QString name = QString::fromStdString(path);
    QByteArray text;
    if (!readWholeFile(name, text, failure, maxWorldFileBytes))
        return false;
    double *const targets[] = {&m_cellSizeX, &m_rotY,     &m_rotX,
                               &m_cellSizeY, &m_topLeftX, &m_topLeftY};
    int pos = 0;
    int number = 0;
    for (double *target : targets) {
        ++number;
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
            ++pos;
        const int start = pos;
        while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos])))
            ++pos;
        double value = 0.0;
        const std::string_view word(text.constData() + start, std::size_t(pos - start));
        if (pos == start || !parseDouble(word, value)) {
            const int line = int(text.left(start).count('\n')) + 1;
            const int column = start - (text.lastIndexOf('\n', start - 1) + 1) + 1;
            const QString reason = pos == start
                ? QStringLiteral("number %1 of 6 is missing").arg(number)
                : QStringLiteral("number %1 of 6 is not a number").arg(number);
            return fail(failure, Failure::document(name, line, column, reason));
        }
        *target = target == &m_cellSizeY ? -value : value;
    }
    m_valid = true;
    return true;
}

bool WorldFile::saveAs(const std::string &path, unsigned int coordinatePrecision,
                       unsigned int cellSizePrecision) const
{
    return saveAs(path, coordinatePrecision, cellSizePrecision, nullptr);
}

bool WorldFile::saveAs(const std::string &path, unsigned int coordinatePrecision,
                       unsigned int cellSizePrecision, Failure *failure) const
{
    const std::string text = fixedWithPoint(m_cellSizeX, cellSizePrecision) + "\n"
        + fixedWithPoint(m_rotY, coordinatePrecision) + "\n"
        + fixedWithPoint(m_rotX, coordinatePrecision) + "\n"
        + fixedWithPoint(-m_cellSizeY, cellSizePrecision) + "\n"
        + fixedWithPoint(m_topLeftX, coordinatePrecision) + "\n"
        + fixedWithPoint(m_topLeftY, coordinatePrecision) + "\n";
    return writeFileAtomically(QString::fromStdString(path), text.data(), text.size(), failure);
}

void WorldFile::minify(double factor)
{
    m_topLeftX += m_cellSizeX * 0.5 * (factor - 1);
    m_topLeftY -= m_cellSizeY * 0.5 * (factor - 1);
    m_cellSizeX *= factor;
    m_cellSizeY *= factor;
}

void WorldFile::applyOffset(double dx, double dy)
{
    m_topLeftX += dx;
    m_topLeftY += dy;
}

std::array<double, 6> worldFileNumbers(const WorldFile &wf)
{
    return {wf.cellSizeX(), wf.rotY(), wf.rotX(), -wf.cellSizeY(), wf.topLeftX(), wf.topLeftY()};
}

std::array<double, 6> geoTransform(const WorldFile &wf)
{
    const auto [a, d, b, e, c, f] = worldFileNumbers(wf);
    return {c - 0.5 * a - 0.5 * b, a, b, f - 0.5 * d - 0.5 * e, d, e};
}

// Both keep the upper-left corner of GDAL's geotransform where it belongs and work on the
// centre that the file holds directly, which loses no precision to a round trip.
WorldFile minifiedGrid(const WorldFile &wf, double factor)
{
    const auto [a, d, b, e, c, f] = worldFileNumbers(wf);
    const double grow = 0.5 * (factor - 1.0);
    return WorldFile(std::array<double, 6> {a * factor, d * factor, b * factor, e * factor,
                                            c + grow * (a + b), f + grow * (d + e)});
}

WorldFile windowGrid(const WorldFile &wf, double column, double row)
{
    const auto [a, d, b, e, c, f] = worldFileNumbers(wf);
    return WorldFile(
        std::array<double, 6> {a, d, b, e, c + column * a + row * b, f + column * d + row * e});
}

bool isFinite(const WorldFile &wf)
{
    for (const double value : worldFileNumbers(wf)) {
        if (!std::isfinite(value))
            return false;
    }
    return true;
}

} // namespace util
