// Naming patterns, XML and token form, and naming collections. Any text makes a name or throws
// std::runtime_error, the same way every time; any bytes as a collection file give a pattern or
// an empty string.
#include "FuzzCommon.h"

#include "util/naming/FileSessionNameGenerator.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <stdexcept>

namespace {

util::FileSessionNameGenerator::Options options()
{
    util::FileSessionNameGenerator::Options o;
    o.lineNumber = 2;
    o.lineName = "Take";
    o.serialNumber = 30001;
    o.sensorType = "QK17";
    o.dateTime = QDateTime(QDate(2011, 1, 15), QTime(12, 34, 58), Qt::UTC);
    o.band = "PANF02A";
    o.project = "Project";
    o.flightPlan = "Plan";
    return o;
}

std::string nameOf(const QString &text)
{
    try {
        util::FileSessionNameGenerator generator(options(), text);
        return "name:" + generator.createNameFromPattern().toStdString();
    } catch (const std::runtime_error &e) {
        return std::string("error:") + e.what();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quorfuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const std::string first = nameOf(text);
    QUOR_FUZZ_CHECK(nameOf(text) == first, text.toStdString());

    const std::string collection = quorfuzz::writeScratch("collection.xml", data, size);
    const QString path = QString::fromStdString(collection);
    const QString pattern =
        util::FileSessionNameGenerator::loadPattern(path, QStringLiteral("Default"));
    QUOR_FUZZ_CHECK(util::FileSessionNameGenerator::loadPattern(path, QStringLiteral("Default"))
                        == pattern,
                    collection);
    if (!pattern.isEmpty())
        (void)nameOf(pattern);
    return 0;
}
