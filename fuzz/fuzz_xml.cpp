// XML comparison and validation. The input is one document, or two separated by a line
// "=====". Any bytes compare and validate without a fault (deep nesting included); a file
// always compares equal to a copy of itself, and the answer does not change when asked again.
// Dictionary: fuzz/xml.dict.
#include "FuzzCommon.h"

#include "util/xml/XmlCompare.h"
#include "util/xml/XmlValidator.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace {

const util::XmlValidator &validator(int which)
{
    static const QString dir = QStringLiteral(QUOR_SOURCE_DIR "/resources/etc/schemas");
    static const util::XmlValidator products(QStringLiteral("products.xsd"), dir);
    static const util::XmlValidator curves(QStringLiteral("tonalcurve.xsd"), dir);
    return which ? curves : products;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quorfuzz::ensureApplication(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    static const std::string separator = "\n=====\n";
    std::string first = input, second = input;
    const std::size_t at = input.find(separator);
    if (at != std::string::npos) {
        first = input.substr(0, at + 1);
        second = input.substr(at + separator.size());
    }
    const QString a = QString::fromStdString(quorfuzz::writeScratch("a.xml", first));
    const QString copy = QString::fromStdString(quorfuzz::writeScratch("copy.xml", first));
    const QString b = QString::fromStdString(quorfuzz::writeScratch("b.xml", second));

    QUOR_FUZZ_CHECK(util::compareXMLfiles(a, copy), first);
    const bool ab = util::compareXMLfiles(a, b);
    QUOR_FUZZ_CHECK(util::compareXMLfiles(a, b) == ab, input);

    const QByteArray document = QByteArray::fromStdString(first);
    for (int which = 0; which < 2; ++which) {
        const bool valid = validator(which).validate(document);
        QUOR_FUZZ_CHECK(validator(which).validate(a) == valid, first);
    }
    return 0;
}
