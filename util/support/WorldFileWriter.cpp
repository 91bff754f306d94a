#include "util/support/WorldFileWriter.h"

#include <QDir>
#include <QFileInfo>

namespace util {

WorldFileWriter::WorldFileWriter(const WorldFile &worldFile, unsigned int cellSizePrecision,
                                 unsigned int coordinatePrecision)
    : m_worldFile(worldFile)
    , m_cellSizePrecision(cellSizePrecision)
    , m_coordinatePrecision(coordinatePrecision)
{
}

void WorldFileWriter::write(const novRaster::ImageWriter &imageWriter) const
{
    const QFileInfo image(QString::fromStdString(imageWriter.getFilename()));
    const QString path =
        image.absolutePath() + QDir::separator() + image.baseName() + QStringLiteral(".tfw");
    m_worldFile.saveAs(path.toStdString(), m_coordinatePrecision, m_cellSizePrecision);
}

void WorldFileWriter::applyOffsetUsingCellsize(double dx, double dy)
{
    m_worldFile.applyOffset(dx * m_worldFile.cellSizeX(), dy * m_worldFile.cellSizeY());
}

} // namespace util
