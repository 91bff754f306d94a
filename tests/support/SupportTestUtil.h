#pragma once

// Helpers of the support-file tests: every field of a record as text (so tests compare whole
// records and name the field that differs), the records behind the golden files, temporary
// files and a pinned time zone.

#include "tests/common/TestUtil.h"
#include "util/support/SupportFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quortest {

using FieldList = std::vector<std::pair<std::string, std::string>>;

FieldList supportFileFields(const util::SupportFile &record);

/// The value of one named field ("bias", "imageFiles", ...); fails the test for unknown names.
std::string supportFileField(const util::SupportFile &record, const std::string &name);

/// Success when every field except those named in except is equal.
::testing::AssertionResult sameFields(const util::SupportFile &a, const util::SupportFile &b,
                                      const std::set<std::string> &except = {});

/// Seconds since 1970 of a UTC calendar time (proleptic Gregorian), for expected dates.
std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second);

/// The time zone of the golden files: central European, with summer time.
constexpr const char *goldenTimeZone = "CET-1CEST,M3.5.0,M10.5.0/3";

/// Pins TZ (and tells the C library) for the object's lifetime.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char *tz);
    ~ScopedTimeZone();

private:
    std::unique_ptr<ScopedEnv> m_env;
};

/// Makes writes that would grow a file beyond limit bytes fail (EFBIG, SIGXFSZ ignored), as a
/// full disk would, for the object's lifetime. Keep test output out of its scope.
class ScopedFileSizeLimit
{
public:
    explicit ScopedFileSizeLimit(unsigned long limit);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
    ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;

private:
    unsigned long m_savedLimit;
    void (*m_savedHandler)(int);
};

/// The well-formed support files of the tree: the golden files and the shipped samples.
QStringList wellFormedSupportFiles();

/// Writes text to name inside dir and returns the full path.
std::string writeText(const QTemporaryDir &dir, const std::string &name, const std::string &text);

/// The records that tests/data/support/golden_L1.sup and golden_L2.sup describe, built through
/// a small seed file (for the image list and the image date, which have no setters) and the
/// setters. Call under goldenTimeZone.
util::SupportFile goldenL1Record(const QTemporaryDir &dir);
util::SupportFile goldenL2Record(const QTemporaryDir &dir);

} // namespace quortest
