#pragma once

/// \file
/// Merging INI files line by line.
/// \ingroup config

#include "util/UtilExport.h"

#include <QString>
#include <QStringList>

#include <string>

class QFile;

namespace util {

/// Merges INI files line by line.
///
/// Keys and sections that the source has and the destination lacks are added to the
/// destination; everything the destination holds stays as it is, values, comments, order and
/// bytes included.
///
/// Lines keep their own terminators (LF or CR LF; the last may have none) and are handled as
/// Latin-1, so bytes of any encoding pass through unchanged. A line without a terminator (the
/// last line of either file) that gets a line after it in the merged file first gets the line
/// end the destination uses (that of its first line, LF when it has none), so that no two lines
/// run into one.
///
/// The protected steps below define the merge's result; mergeIniFiles() gives exactly that
/// result through an index of sections and keys, in time linear in the files (a key written
/// with regular-expression characters is still matched as a pattern, line by line).
/// \ingroup config
class UTIL_EXPORT IniTool
{
public:
    /// Merges the file source into the file destination.
    ///
    /// The destination is rewritten by the library's rule for replacing files
    /// (util::writeFileAtomically, docs/replacing-files.md): atomically where that loses nothing of
    /// the file (links, owner, mode, attributes), in place after reserving the new size otherwise.
    /// An exclusive advisory lock (flock) on destination is held from the read to the end of the
    /// write, so merges into one file take turns and none loses the additions of another. Throws
    /// std::runtime_error, leaving destination untouched:
    /// - "Source INI file <source> can't be read!"
    /// - "Destination INI file <destination> can't be opened!" (a missing one is not created)
    /// - "Error parsing ini file" for a section header that is not a bare [name]
    /// - "Can't parse ini file" for a source key line that is not key=value
    /// - "Destination INI file <destination> can't be written!" when the rewrite fails (an
    ///   addition of this library: the merge would otherwise report success for a lost write)
    ///
    /// \param source the file whose sections and keys are added; a folder, a device other than
    /// a pipe, or a file larger than defaultMaxReadSize (64 MiB) cannot be read
    /// \param destination the file merged into, which must exist
    static void mergeIniFiles(std::string const &source, std::string const &destination);

protected:
    /// All lines of an open file, from its start, each with its terminator.
    /// \param file the open file; read to its end (a pipe from where it stands)
    /// \return the lines as Latin-1 text, the last without a terminator when the file ends
    /// without one
    static QStringList readAllLines(QFile &file);
    /// The section names in order of appearance; a header whose name is not all word
    /// characters yields an empty name.
    /// \param lines the lines of a file, as readAllLines() gives them
    /// \return one name per header line
    static QStringList getAllSections(QStringList const &lines);
    /// Adds the lines of the source section that the destination section lacks at the end of
    /// the destination section. Keys already present keep their values.
    /// Throws std::runtime_error "Error parsing ini file" when either file lacks the section,
    /// and "Can't parse ini file" for a source key line that is not key=value.
    /// \param source the lines of the source file
    /// \param section the section's name, matched as a regular expression
    /// \param[in,out] destination the lines of the destination file, which receive the
    /// additions
    static void mergeSections(QStringList const &source, QString const &section,
                              QStringList &destination);
    /// Appends a CR LF line and the whole source section to the destination.
    /// Throws std::runtime_error "Error parsing ini file" when the source lacks the section.
    /// \param source the lines of the source file
    /// \param section the section's name, matched as a regular expression
    /// \param[in,out] destination the lines of the destination file, which receive the section
    static void addSection(QStringList const &source, QString const &section,
                           QStringList &destination);
    /// The lines of one section, header first; empty when the section is absent.
    /// \param section the section's name, matched as a regular expression
    /// \param lines the lines of a file
    /// \return the header line and the lines up to the next header
    static QStringList extractSection(QString const &section, QStringList const &lines);
};

} // namespace util
