#pragma once

// Stand-in for the suite's sensor-file library: only what reading a level-0 sensor image's size
// needs. The real library reads the sensor's own format; this one reads a small text header of
// our own design at the start of the file:
//
//     VYN 1
//     lines 12000
//     samples 14016
//
// The first line is the magic "VYN" and the header version 1; then "lines N" and "samples N"
// (decimal, in any order, one per line); the header ends at the first empty line or at the end
// of the file. Anything after it (the image data) is not read. At most the first 4 KiB are read.

#include <string>

namespace vynfile {

class vynFile
{
public:
    vynFile() = default;
    virtual ~vynFile() = default;

    /// Reads the header of the sensor file at path. Returns 0 on success, -1 when the file
    /// cannot be opened and -2 when the header is malformed; the counts are then 0.
    int readVYNFile(std::string path);

    int lines() const { return m_lines; }
    int samples() const { return m_samples; }

private:
    int m_lines = 0;
    int m_samples = 0;
};

} // namespace vynfile
