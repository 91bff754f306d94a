#pragma once

// Stand-in for the suite's raster library: of its image writer, the world-file writer needs
// only the path of the image being written.

#include <string>
#include <utility>

namespace novRaster {

class ImageWriter
{
public:
    explicit ImageWriter(std::string path) : m_path(std::move(path)) {}
    virtual ~ImageWriter() = default;

    /// The path of the image file this writer writes.
    const std::string &getFilename() const { return m_path; }

private:
    std::string m_path;
};

} // namespace novRaster
