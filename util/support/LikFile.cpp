#include "util/support/LikFile.h"

#include "util/xml/XmlDepthGuard_p.h"

#include "util/files/AtomicWrite.h"
#include "util/files/ReadFile.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace util {

namespace {

// A link file is a few hundred bytes; a device or a huge file is refused, not read to its end.
constexpr std::size_t maxLikFileBytes = 1024 * 1024;

std::string readError(const std::string &path)
{
    return "Error reading LIK file '" + path + "'";
}

std::string withSuffix(const std::string &path, const char *suffix)
{
    const QFileInfo info(QString::fromStdString(path));
    return (info.absolutePath() + QLatin1Char('/') + info.completeBaseName()
            + QLatin1String(suffix))
        .toStdString();
}

} // namespace

LikFile::LikFile(const std::string &imagePath, const std::string &likPath)
    : m_imagePath(imagePath)
    , m_likPath(likPath)
{
}

namespace {

enum class LinkRead { Ok, Unopened, Unparsed, Wrong };

// Reads the image path of the link file at path; failure says why when it is not Ok.
LinkRead readLink(const std::string &path, std::string &imagePath, Failure &failure)
{
    const QString name = QString::fromStdString(path);
    QByteArray content;
    if (!readWholeFile(name, content, &failure, maxLikFileBytes))
        return failure.error != 0 ? LinkRead::Unopened : LinkRead::Unparsed;

    // A document that does not parse (or is too deep to parse safely) counts as one without
    // elements.
    QDomDocument document;
    if (!detail::setXmlContent(document, content, false))
        document = QDomDocument(); // Qt keeps what it parsed before the error

    const auto wrong = [&](const char *reason) {
        failure = Failure::other(name, QString::fromUtf8(reason));
        return LinkRead::Wrong;
    };
    const QDomNodeList references = document.elementsByTagName(QStringLiteral("reference"));
    if (references.size() != 1)
        return wrong("Wrong formatting for the LikFile: expecting one 'reference' node at level 0");
    const QDomElement reference = references.at(0).toElement();
    if (reference.attribute(QStringLiteral("version")) != QLatin1String("1.0"))
        return wrong("Wrong version in LIK file. Expecting \"1.0\"");
    const QDomNodeList uris = reference.elementsByTagName(QStringLiteral("URI"));
    if (uris.size() != 1)
        return wrong("Wrong formatting for the LikFile: expecting one 'URI' node at level 1");
    imagePath = uris.at(0).toElement().text().toStdString();
    return LinkRead::Ok;
}

} // namespace

std::pair<bool, std::string> LikFile::_read(const std::string &path)
{
    Failure failure;
    switch (readLink(path, m_imagePath, failure)) {
    case LinkRead::Ok:
        return {true, std::string()};
    case LinkRead::Unopened:
        return {false, "Could not open LIK file"};
    case LinkRead::Unparsed: // too large (or no file to read) counts as no document
        return {false,
                "Wrong formatting for the LikFile: expecting one 'reference' node at level 0"};
    case LinkRead::Wrong:
        break;
    }
    return {false, failure.reason.toStdString()};
}

bool LikFile::read(const std::string &path, Failure *failure)
{
    Failure why;
    if (readLink(path, m_imagePath, why) == LinkRead::Ok)
        return true;
    return fail(failure, std::move(why));
}

bool LikFile::_write(const std::string &path)
{
    return write(path, nullptr);
}

bool LikFile::write(const std::string &path, Failure *failure)
{
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement reference = document.createElement(QStringLiteral("reference"));
    reference.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    document.appendChild(reference);
    QDomElement uri = document.createElement(QStringLiteral("URI"));
    uri.appendChild(document.createTextNode(QString::fromStdString(m_imagePath)));
    reference.appendChild(uri);
    const QByteArray bytes = document.toByteArray(3);
    return writeFileAtomically(QString::fromStdString(path), bytes.constData(),
                               static_cast<std::size_t>(bytes.size()), failure);
}

void LikFile::read()
{
    const std::pair<bool, std::string> result = _read(m_likPath);
    if (!result.first)
        throw std::runtime_error(readError(m_likPath) + ". Message is: " + result.second);
}

void LikFile::write()
{
    if (!_write(m_likPath))
        throw std::runtime_error(readError(m_likPath));
}

bool LikFile::read(Failure *failure)
{
    return read(m_likPath, failure);
}

bool LikFile::write(Failure *failure)
{
    return write(m_likPath, failure);
}

LikFile LikFile::createFromLikFile(const std::string &likPath)
{
    LikFile lik;
    lik.m_likPath = likPath;
    lik.read();
    return lik;
}

bool LikFile::existsImage() const
{
    return QFileInfo::exists(QString::fromStdString(m_imagePath));
}

bool LikFile::existsLik() const
{
    return QFileInfo::exists(QString::fromStdString(m_likPath));
}

std::string LikFile::computeLikFilePathFromGivenPath(const std::string &path)
{
    return withSuffix(path, ".lik");
}

std::string LikFile::computeLovFilePathFromGivenPath(const std::string &path)
{
    return withSuffix(path, ".lov");
}

} // namespace util
