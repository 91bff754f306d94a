#include "util/bands/VynString.h"

#include "util/strings/IOString.h"

#include <QRegExp>
#include <QString>

namespace util {

namespace {

const char *const nil = "nil";

// The order in which a colour found in a name is looked up.
const char *const colourList[] = {"RED", "BLU", "GRN", "PAN", "NIR", "NIN", "RGB", "NRGB"};

QString baseNameOf(const std::string &path)
{
    return QString::fromStdString(IOString::getBaseName(path));
}

} // namespace

std::string VynString::getCcdNaming(const std::string &path)
{
    QRegExp ccd(QStringLiteral("(RED|BLU|GRN|PAN|NIR|RGB|NRGB)(F|B|N)([0-9]{2,2})(A|B)"));
    if (ccd.indexIn(baseNameOf(path)) < 0)
        return nil;
    return ccd.cap(0).toStdString();
}

std::string VynString::getShortColorCode(const std::string &path)
{
    QRegExp ccd(QStringLiteral("(RED|BLU|GRN|PAN|NIR)(F|B|N)([0-9]{2,2})(A|B)"));
    if (ccd.indexIn(baseNameOf(path)) < 0)
        return nil;
    const QString colour = ccd.cap(1);
    for (const char *entry : colourList) {
        if (colour == QLatin1String(entry))
            return entry;
    }
    return nil;
}

} // namespace util
