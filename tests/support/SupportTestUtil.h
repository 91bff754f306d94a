#pragma once

// Helpers of the support-file tests, which all run in the time zone of the golden files.

#include "tests/common/TestUtil.h"
#include "util/support/SupportFile.h"

#include <QJsonValue>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quortest {

/// Every field of a record as text, named after its getter ("bias", "imageFiles", ...), so tests
/// compare whole records and name the field that differs.
using FieldList = std::vector<std::pair<std::string, std::string>>;
FieldList supportFileFields(const util::SupportFile &record);

/// The fields of "name=value; name=value", in their order.
FieldList parseFields(const std::string &text);

/// Success when the record holds the values of expected, "name=value; name=value".
::testing::AssertionResult hasFields(const util::SupportFile &record, const std::string &expected);

/// Success when every field except those named in except is equal.
::testing::AssertionResult sameFields(const util::SupportFile &a, const util::SupportFile &b,
                                      const std::set<std::string> &except = {});

/// Seconds since 1970 of a UTC calendar time, for expected dates.
std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second);

/// The golden files and the shipped samples.
QStringList wellFormedSupportFiles();

/// Writes text to name inside dir and returns the full path.
std::string writeText(const QTemporaryDir &dir, const std::string &name, const std::string &text);

/// One row of tests/data/support/keywords.txt, the tests' own list of every keyword.
struct KeywordRow
{
    std::string keyword;
    std::string levels; ///< the digits of the levels whose loader reads it, or "-"
    std::string value; ///< as it stands in the file after the keyword
    std::string expected; ///< the fields afterwards, as hasFields takes them
};
std::vector<KeywordRow> referenceKeywords();

/// Makes folder the current one while alive (a failure when it cannot), then goes back.
class InFolder
{
public:
    explicit InFolder(const QString &folder);
    ~InFolder();
    InFolder(const InFolder &) = delete;
    InFolder &operator=(const InFolder &) = delete;

private:
    QString m_before;
};

/// Skips the test when GDAL's programs are missing (fails it on CI, which installs them); call
/// it from SetUp.
void requireGdalPrograms();

/// Runs one of GDAL's programs, expecting success, and gives its standard output.
QByteArray runGdal(const QString &program, const QStringList &args);

/// The numbers of a JSON array, and the check that two lists agree to 1e-7, relative.
std::vector<double> jsonNumbers(const QJsonValue &array);
void expectNear(const std::vector<double> &ours, const std::vector<double> &gdal,
                const std::string &what);

/// The records that tests/data/support/golden_L1.sup and golden_L2.sup describe.
util::SupportFile goldenL1Record();
util::SupportFile goldenL2Record();

} // namespace quortest
