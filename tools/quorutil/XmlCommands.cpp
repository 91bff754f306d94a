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

} // namespace

int xmlValidate(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const QStringList &files = cl.positional();
    std::string why;
    const std::unique_ptr<util::XmlValidator> validator = validatorFor(files[0], &why);
    if (!validator)
        return cl.failure(err, why);
    int status = ExitOk;
    for (int i = 1; i < files.size(); ++i) {
        util::Failure failure;
        if (validator->validate(cl.inputPath(i), &failure))
            out << files.at(i).toStdString() << ": valid\n";
        else
            status = report(err, cl, failure);
    }
    return status;
}

int xmlCompare(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const QStringList &files = cl.positional();
    // The comparison counts unreadable files as documents without a root, so two of them
    // would be "equal"; the tool names what it cannot read instead.
    for (const QString &file : files) {
        QDomDocument document;
        util::Failure failure;
        if (!util::readXmlFile(file, document, &failure))
            return report(err, cl, failure);
    }
    const bool equal = util::compareXMLfiles(files[0], files[1]);
    out << files[0].toStdString() << " and " << files[1].toStdString()
        << (equal ? " are equal" : " differ") << "\n";
    return equal ? ExitOk : ExitFailure;
}

} // namespace quorutil
