#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"
#include "util/naming/NameGenerator.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>

class QDomDocument;
class QDomElement;

namespace util {

/// Builds file and session names from a naming pattern and a set of options.
///
/// A pattern is either the XML of one FilePattern element (as loadPattern() returns it) or a
/// token pattern: plain text in which keywords between two "$" are replaced by values
/// ("$PROJECT$_$yyMMdd$_$BAND$"). Unknown tokens are Qt date-time formats. Dates and times are
/// written as QDateTime::toString writes them, except that digits are always ASCII, whatever the
/// system locale.
class UTIL_EXPORT FileSessionNameGenerator : public NameGenerator
{
public:
    /// The values that go into a name.
    class UTIL_EXPORT Options
    {
    public:
        std::uint32_t lineNumber = 0; ///< take number (TakeNumber, $LINENUMBER$)
        std::string lineName; ///< flight line (Flightline, $LINENAME$)
        std::uint32_t serialNumber = 0; ///< sensor serial (SerialNumber, $SERIAL$, $ABRVSERIAL$)
        std::string sensorType; ///< SensorType, $SENSORTYPE$
        QDateTime dateTime; ///< Date, Time and date-format tokens
        std::string band; ///< band or line code (Band, $BAND$)
        bool useExample = false; ///< replace every field by the example values
        std::string project; ///< Project, $PROJECT$
        std::string flightPlan; ///< Flightplan, $FLIGHTPLAN$
    };

    /// Which naming configuration loadPattern(PatternNameType) reads. Every value other than
    /// SessionNaming selects the file naming configuration.
    enum PatternNameType { SessionNaming = 0, FileNaming = 1 };

    /// Generator without a pattern of its own, for createNameFromPattern(node, name).
    explicit FileSessionNameGenerator(Options const &options);
    /// Generator with a pattern text: XML of a FilePattern element, or else a token pattern.
    /// Never fails; errors show when a name is made. Text whose elements nest deeper than 256
    /// levels is not read as XML (see util/xml/XmlFile.h), so it becomes a token pattern.
    FileSessionNameGenerator(Options const &options, QString const &pattern);
    /// Copies options and token pattern and takes the parsed pattern document over: afterwards
    /// other holds no document.
    FileSessionNameGenerator(FileSessionNameGenerator &other);
    FileSessionNameGenerator &operator=(const FileSessionNameGenerator &) = delete;
    ~FileSessionNameGenerator() override;

    /// The pattern text of the file or session naming configuration: a token pattern held in
    /// quor.ini [NamingConfig], else the user's selected pattern (native settings "Solvane" /
    /// "QuorIngest", default id "Default") from the configured collection, else the "Default"
    /// pattern of the built-in collection in ":/Resources/". Throws std::runtime_error
    /// "Can't load naming configuration." when none of them yields a pattern, and passes on
    /// the exception of getQuorIni().
    static QString loadPattern(PatternNameType type);
    /// The XML text of the FilePattern with the given id (exact match, first in document order)
    /// in the collection file fileName, or an empty string on any failure (a collection nested
    /// deeper than 256 levels among them).
    static QString loadPattern(QString const &fileName, QString const &id);
    /// As loadPattern(fileName, id), with the pattern in pattern and, when there is none, the
    /// failure in *failure (when given): a system error, the parser's line and column, a root
    /// element other than "Patterns", or no pattern of that id.
    static bool loadPattern(QString const &fileName, QString const &id, QString &pattern,
                            Failure *failure);

    /// The tokens a token pattern may name besides date-time formats: PROJECT, FLIGHTPLAN,
    /// SERIAL, ABRVSERIAL, LINENAME, LINENUMBER, SENSORTYPE, BAND.
    static QStringList tokenNames();
    /// The tokens of a token pattern that are neither tokenNames() nor a date-time format
    /// (Qt's letters d M y h H m s z t and AP/ap, other characters than letters, and quoted
    /// text): the generator would treat "LINE_NAME" as a format and write date text for it,
    /// or nothing without a date. An empty token is listed as "", a token left open at the
    /// end with its "$".
    static QStringList unknownTokens(QString const &tokenPattern);

    /// The name from the generator's own pattern. Throws std::runtime_error
    /// "Can't create a name. No pattern given and no document loaded." without a pattern,
    /// "Invalid file naming pattern" when the XML's root is not FilePattern, and
    /// "Can't parse naming pattern" for a missing, negative or doubled position.
    QString createNameFromPattern() const;
    /// Writes the name built from the FilePattern node pattern into name and returns true.
    /// On a pattern error it throws "Can't parse naming pattern" and leaves name unchanged.
    bool createNameFromPattern(QDomNode const &pattern, QString &name) const override;

private:
    Options getOptions(Options const &options) const;
    void buildAttributeMap(QDomElement const &first, QMap<int, QString> &pieces,
                           unsigned int startNumber, bool shortSerial) const;
    void addElements(QDomElement parent, int pos, QMap<int, QString> &pieces,
                     QMap<QString, QString> &formats) const;
    QString createNameFromTokenString(QString const &tokens) const;
    QString addToken(QString const &token) const;
    QString getLineNumber(unsigned int offset) const;

    std::unique_ptr<QDomDocument> m_document;
    Options m_options;
    QString m_tokenPattern;

    static QString const sTokenDelimiter;
};

} // namespace util
