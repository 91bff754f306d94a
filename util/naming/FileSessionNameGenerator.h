#pragma once

/// \file
/// File and session names from XML or token naming patterns.
/// \ingroup naming

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
/// \ingroup naming
class UTIL_EXPORT FileSessionNameGenerator : public NameGenerator
{
public:
    /// The values that go into a name.
    /// \ingroup naming
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
    enum PatternNameType {
        SessionNaming = 0, ///< the session naming configuration
        FileNaming = 1 ///< the file naming configuration
    };

    /// Generator without a pattern of its own, for createNameFromPattern(node, name).
    /// \param options the values; with useExample set, the example values instead
    explicit FileSessionNameGenerator(Options const &options);
    /// Generator with a pattern text: XML of a FilePattern element, or else a token pattern.
    /// Never fails; errors show when a name is made. Text whose elements nest deeper than 256
    /// levels is not read as XML (see util/xml/XmlFile.h), so it becomes a token pattern.
    /// \param options the values; with useExample set, the example values instead
    /// \param pattern the pattern text
    FileSessionNameGenerator(Options const &options, QString const &pattern);
    /// Copies options and token pattern and takes the parsed pattern document over: afterwards
    /// other holds no document.
    /// \param other the generator copied, which loses its document
    FileSessionNameGenerator(FileSessionNameGenerator &other);
    FileSessionNameGenerator &operator=(const FileSessionNameGenerator &) = delete;
    /// Destroys the generator and its pattern document.
    ~FileSessionNameGenerator() override;

    /// The pattern text of the file or session naming configuration.
    ///
    /// That is a token pattern held in quor.ini [NamingConfig], else the user's selected pattern
    /// (native settings "Solvane" / "QuorIngest", default id "Default") from the configured
    /// collection, else the "Default" pattern of the built-in collection in ":/Resources/". Throws
    /// std::runtime_error "Can't load naming configuration." when none of them yields a pattern,
    /// and passes on the exception of getQuorIni().
    /// \param type which configuration
    /// \return the pattern text: a token pattern or the XML of a FilePattern element
    static QString loadPattern(PatternNameType type);
    /// The XML text of the FilePattern with the given id in the collection file fileName.
    ///
    /// The id matches exactly; the first such pattern in document order counts. Any failure (a
    /// collection nested deeper than 256 levels among them) gives an empty string.
    /// \param fileName the collection file (a Qt resource path too)
    /// \param id the pattern's id attribute
    /// \return the pattern's XML text, or an empty string
    static QString loadPattern(QString const &fileName, QString const &id);
    /// As loadPattern(fileName, id), with the pattern in pattern and the failure as a value.
    ///
    /// When there is no pattern, *failure (when given) says why: a system error, the parser's line
    /// and column, a root element other than "Patterns", or no pattern of that id.
    /// \param fileName the collection file (a Qt resource path too)
    /// \param id the pattern's id attribute
    /// \param[out] pattern receives the pattern's XML text; cleared on failure
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when the pattern was found
    static bool loadPattern(QString const &fileName, QString const &id, QString &pattern,
                            Failure *failure);

    /// The tokens a token pattern may name besides date-time formats.
    ///
    /// They are PROJECT, FLIGHTPLAN, SERIAL, ABRVSERIAL, LINENAME, LINENUMBER, SENSORTYPE, BAND.
    /// \return the token names, without the "$" around them
    static QStringList tokenNames();
    /// The tokens of a token pattern that are neither tokenNames() nor a date-time format.
    ///
    /// A date-time format is made of Qt's letters d M y h H m s z t and AP/ap, other characters
    /// than letters, and quoted text. For any other token the generator would treat "LINE_NAME" as
    /// a format and write date text for it, or nothing without a date. An empty token is listed as
    /// "", a token left open at the end with its "$".
    /// \param tokenPattern the token pattern checked
    /// \return the unknown tokens in order of appearance; empty when every token is known
    static QStringList unknownTokens(QString const &tokenPattern);

    /// The name from the generator's own pattern. Throws std::runtime_error
    /// "Can't create a name. No pattern given and no document loaded." without a pattern,
    /// "Invalid file naming pattern" when the XML's root is not FilePattern, and
    /// "Can't parse naming pattern" for a missing, negative or doubled position.
    /// \return the name
    QString createNameFromPattern() const;
    /// Writes the name built from the FilePattern node pattern into name and returns true.
    /// On a pattern error it throws "Can't parse naming pattern" and leaves name unchanged.
    /// Every character of the name that is not a letter, digit, mark or '_' becomes the
    /// pattern's separator.
    /// \param pattern the FilePattern element
    /// \param[out] name receives the name, replacing what it held
    /// \return true (failures throw)
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
