#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/xml/XmlCompare.h"
#include "util/xml/XmlValidator.h"

#include <QFileInfo>

#include <memory>
#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

const char *const xmlUsage =
    "Usage: quorutil xml validate SCHEMA FILE...\n"
    "       quorutil xml compare A B\n"
    "validate: checks each FILE against SCHEMA, a schema of the installation by name\n"
    "          (tonalcurve.xsd, products.xsd) or a schema file by path.\n"
    "compare:  tells whether A and B hold the same document, regardless of the order of\n"
    "          attributes and sibling elements (exit code 0 equal, 1 different).\n";

// A bare name is one of the installation's schemas; anything with a folder part is a path.
std::unique_ptr<util::XmlValidator> validatorFor(const QString &schema)
{
    if (!schema.contains(QLatin1Char('/')))
        return std::make_unique<util::XmlValidator>(schema);
    const QFileInfo info(schema);
    return std::make_unique<util::XmlValidator>(info.fileName(), info.path());
}

int validate(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (args.size() < 2) {
        err << xmlUsage;
        return ExitUsage;
    }
    std::unique_ptr<util::XmlValidator> validator;
    try {
        validator = validatorFor(args[0]);
    } catch (const std::runtime_error &e) {
        err << "quorutil xml: " << e.what() << "\n";
        return ExitFailure;
    }
    int status = ExitOk;
    for (const QString &file : args.mid(1)) {
        const bool valid = validator->validate(file);
        out << file.toStdString() << ": " << (valid ? "valid" : "not valid") << "\n";
        if (!valid)
            status = ExitFailure;
    }
    return status;
}

int compare(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 2) {
        err << xmlUsage;
        return ExitUsage;
    }
    const bool equal = util::compareXMLfiles(args[0], args[1]);
    out << args[0].toStdString() << " and " << args[1].toStdString()
        << (equal ? " are equal" : " differ") << "\n";
    return equal ? ExitOk : ExitFailure;
}

} // namespace

int xmlCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << xmlUsage;
        return ExitOk;
    }
    if (!args.isEmpty() && args[0] == QLatin1String("validate"))
        return validate(args.mid(1), out, err);
    if (!args.isEmpty() && args[0] == QLatin1String("compare"))
        return compare(args.mid(1), out, err);
    err << xmlUsage;
    return ExitUsage;
}

} // namespace quorutil
