#pragma once

/// \file
/// Support-file names taken apart into their attributes and rebuilt after a naming pattern.
/// \ingroup naming

#include "util/UtilExport.h"
#include "util/naming/NameGenerator.h"

#include <QMap>
#include <QString>
#include <QStringList>

class QDomNode;

namespace util {

/// One support-file name, taken apart into its acquisition attributes and rebuilt after a
/// naming pattern.
///
/// A readable name is made of parts separated by "_": leading parts (the last of which may end
/// in the four- or five-digit sensor number), the date (yyMMdd), the time (hhmmss), the band
/// part (band names RED GRN BLU NIR PAN or letters R G B N P, then an angle code N00 B16 B14
/// F02 F27 with an optional line letter A or B, and anywhere in it the level L1 or L2),
/// optionally two three-digit tile coordinates, and any further parts. For example
/// SN3001_110115_123458_PANF02AL1_012_034_ortho.
///
/// The attribute keys are "sensor", "date", "time", "band", "angle", "level", "xcoord" and
/// "ycoord"; the values are the texts from the name, unchanged. A five-digit sensor number is
/// kept whole (a part ending in six or more digits gives its last five).
/// \ingroup naming
class UTIL_EXPORT SupFilenamePattern : public NameGenerator
{
public:
    /// Holds name; unparseable names are refused by createNameFromPattern() until
    /// ignoreErrorOnPrefix() is called.
    /// \param name the support-file name
    explicit SupFilenamePattern(QString const &name);
    /// Copies the held name and whether parse errors are ignored.
    /// \param other the object copied
    SupFilenamePattern(SupFilenamePattern const &other);
    /// Takes the held name and whether parse errors are ignored from other.
    /// \param other the object copied
    /// \return this object
    SupFilenamePattern &operator=(SupFilenamePattern const &other);
    /// Destroys the object.
    ~SupFilenamePattern() override;

    /// Appends to name a new name made of the attributes that pattern asks for.
    ///
    /// The pattern asks with its children Date, Time, Sensor, TileX, TileY, Angle, Band and
    /// Level, each with pos and checked == 2. The attributes go between the pattern's prefix
    /// and suffix, joined by its separator. A pattern without any child puts prefix and suffix
    /// around the held name.
    ///
    /// Returns false, appending nothing, when the held name is empty or when a checked Angle,
    /// Band or Level has no value in the name. When the held name cannot be parsed, the prefix,
    /// suffix (and, for a pattern without children, the held name) are appended and the result
    /// is false unless ignoreErrorOnPrefix() was called.
    ///
    /// Angle, Band and Level that are all three checked and lie close together (each at most
    /// one position beyond its rank after the first) make a single piece, such as PANF02AL1, at
    /// the first of their positions. When they lie further apart, each goes in on its own at its
    /// own position, as one or two checked band pieces always do.
    ///
    /// \param pattern the naming pattern's element
    /// \param[in,out] name the text the new name is appended to
    /// \return true when the name was made, as described above
    bool createNameFromPattern(QDomNode const &pattern, QString &name) const override;

    /// The child elements of pattern that createNameFromPattern() takes nothing from.
    ///
    /// They are listed by tag name in document order: tags other than Date, Time, Sensor, TileX,
    /// TileY, Angle, Band and Level (a file-naming pattern's SerialNumber, Project, ...), those not
    /// checked (checked == 2; a file-naming pattern's checked="1" is not), and Date or Time without
    /// a checked Year, Month, Day or Hour, Minute, Second. Empty when every child counts.
    /// \param pattern the naming pattern's element
    /// \return the tag names of the unused children
    static QStringList unusedElements(QDomNode const &pattern);
    /// From now on a held name that cannot be parsed no longer makes createNameFromPattern()
    /// return false.
    void ignoreErrorOnPrefix();

    /// The held name.
    /// \return the name given at construction
    QString name() const { return m_name; }
    /// Parses the held name into attributes; false when it is not readable.
    /// \param[out] attributes cleared, then receives the attributes by key; when the name is
    /// not readable it may keep some of them
    /// \return true when the name was readable
    bool attributes(QMap<QString, QString> &attributes) const;

private:
    static bool splitAttributes(QString const &name, QMap<QString, QString> &attributes);
    static int findBandAndAngle(QStringList const &parts, QMap<QString, QString> &attributes);
    static void extractBandAndAngle(QString const &part, QString &angle, QStringList &bands,
                                    QString &level);
    static bool extractDate(QStringList const &parts, int index,
                            QMap<QString, QString> &attributes);
    bool addBandAndAngle(QDomNode const &pattern, QMap<QString, QString> &attributes,
                         QMap<int, QString> &pieces) const;

    QString m_name;
    bool m_ignoreError = false;

    static QString const sPartDelimiter;
};

} // namespace util
