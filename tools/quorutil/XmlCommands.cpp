#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/xml/XmlCompare.h"
#include "util/xml/XmlFile.h"
#include "util/xml/XmlValidator.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QtGlobal>

#include <memory>
#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

const char *const validateUsage =
    "Usage: quorutil xml validate SCHEMA FILE...\n"
    "Checks each FILE against SCHEMA, a schema of the installation by name (tonalcurve.xsd,\n"
    "products.xsd) or a schema file by path. Exit code 0 when every FILE is valid.\n";

const char *const compareUsage =
    "Usage: quorutil xml compare A B\n"
    "Tells whether A and B hold the same document, regardless of the order of attributes and\n"
    "sibling elements (exit code 0 equal, 1 different or unreadable).\n";

const std::string xmlUsage = std::string(
    "Usage: quorutil xml validate SCHEMA FILE...\n"
    "       quorutil xml compare A B\n"
    "validate: checks each FILE against SCHEMA, a schema of the installation by name\n"
    "          (tonalcurve.xsd, products.xsd) or a schema file by path.\n"
    "compare:  tells whether A and B hold the same document, regardless of the order of\n"
    "          attributes and sibling elements (exit code 0 equal, 1 different).\n"
    "Documents nested deeper than 256 levels are refused.\n");

// While alive, takes the warnings the library gives Qt's message handler instead of letting
// them reach the console: the tool says what went wrong in its own one line.
class WarningsTaken
{
public:
    WarningsTaken()
        : m_previous(qInstallMessageHandler(take))
    {
        s_first.clear();
    }
    ~WarningsTaken() { qInstallMessageHandler(m_previous); }
    WarningsTaken(const WarningsTaken &) = delete;
    WarningsTaken &operator=(const WarningsTaken &) = delete;
    static const QString &first() { return s_first; }

private:
    static void take(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg && s_first.isEmpty())
            s_first = message;
    }
    static QString s_first;
    QtMessageHandler m_previous;
};
QString WarningsTaken::s_first;

// A bare name is one of the installation's schemas; anything with a folder part is a path.
// A schema that does not compile gives its first complaint ("PATH: line L, column C: reason").
std::unique_ptr<util::XmlValidator> validatorFor(const QString &schema, std::string *why)
{
    const WarningsTaken warnings;
    try {
        if (!schema.contains(QLatin1Char('/')))
            return std::make_unique<util::XmlValidator>(schema);
        const QFileInfo info(schema);
        return std::make_unique<util::XmlValidator>(info.fileName(), info.path());
    } catch (const std::runtime_error &e) {
        *why = warnings.first().isEmpty()
            ? e.what()
            : "Invalid schema file: " + warnings.first().toStdString();
        return nullptr;
    }
}

int validate(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("xml validate", validateUsage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    const QStringList &files = cl.positional();
    if (files.size() < 2)
        return cl.usageError(err, "needs a SCHEMA and at least one FILE");
    std::string why;
    const std::unique_ptr<util::XmlValidator> validator = validatorFor(files[0], &why);
    if (!validator)
        return cl.failure(err, why);
    int status = ExitOk;
    for (const QString &file : files.mid(1)) {
        util::Failure failure;
        if (validator->validate(file, &failure))
            out << file.toStdString() << ": valid\n";
        else
            status = report(err, cl.command(), failure);
    }
    return status;
}

int compare(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("xml compare", compareUsage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    const QStringList &files = cl.positional();
    if (files.size() != 2)
        return cl.usageError(err, "needs two files");
    // The comparison counts unreadable files as documents without a root, so two of them
    // would be "equal"; the tool names what it cannot read instead.
    for (const QString &file : files) {
        QDomDocument document;
        util::Failure failure;
        if (!util::readXmlFile(file, document, &failure))
            return report(err, cl.command(), failure);
    }
    const bool equal = util::compareXMLfiles(files[0], files[1]);
    out << files[0].toStdString() << " and " << files[1].toStdString()
        << (equal ? " are equal" : " differ") << "\n";
    return equal ? ExitOk : ExitFailure;
}

} // namespace

int xmlCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("xml", xmlUsage, {{"validate", validate}, {"compare", compare}}, args,
                              out, err);
}

} // namespace quorutil
