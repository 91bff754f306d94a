// The record: defaults, setters and copies.

#include "util/support/SupportFile.h"
#include "tests/support/SupportTestUtil.h"

#include <gtest/gtest.h>

#include <ctime>

using quortest::supportFileField;
using util::SupportFile;

TEST(SupportFile, NewRecordHasDefaults)
{
    const std::int64_t before = std::time(nullptr);
    const SupportFile r;
    const std::int64_t after = std::time(nullptr);
    EXPECT_GE(r.getPhotoDate(), before);
    EXPECT_LE(r.getPhotoDate(), after);
    EXPECT_GE(r.getImageDate(), before);
    EXPECT_LE(r.getImageDate(), after);

    struct Row
    {
        const char *field;
        const char *value;
    };
    const Row rows[] = {
        {"supportFileTag", "d"},
        {"imageID", ""},
        {"imageFiles", ""},
        {"rectificationTerms", "0 0 1 0 1 0"},
        {"gain", "1"},
        {"unit", "1"},
        {"initialized", "2"},
        {"imageLevel", "0"},
        {"sensorType", "VYN"},
        {"viewOfLine", "NADIR"},
        {"radiometricProperty", "PANCHROMATIC"},
        {"correction", "NO_CORRECTION"},
        {"rectScale", "1"},
        {"rectYOffset", "0"},
        {"latScale", "1"},
        {"lonScale", "1"},
        {"heightScale", "1"},
        {"lineScale", "1"},
        {"sampleScale", "1"},
        {"poly20Line", "0 0 0 0 0 0 -1 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"poly20Sample", "0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"ellipsoid", "NAD_83"},
        {"ellipsoidSemiMajorAxis", "6378127"},
        {"ellipsoidEccentricity", "0.081819191272036"},
        {"projectionType", "UTM_PROJECTION"},
        {"projectionZone", "11"},
        {"centralMeridian", "-1.1780972450961724"},
        {"centralScaleFactor", "0.9999"},
        {"standardParallel1", "0"},
        {"originLongitude", "0"},
        {"falseEastingPos", "5e+05"},
        {"falseEastingNeg", "5e+05"},
        {"gridName", "UTM_11N"},
        {"bias", "0"},
        {"localOriginBasis", "0 0 0 0 0 0 0 0 0"},
        {"footprintRange", "0 0 0 0"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(supportFileField(r, row.field), row.value) << row.field;
}

TEST(SupportFile, ElevationRangeTakesEitherOrder)
{
    const double pairs[][2] = {{100, 50}, {50, 100}, {-5, -5}};
    for (const auto &p : pairs) {
        SupportFile r;
        r.setElevationRange(p[0], p[1]);
        EXPECT_EQ(r.getMinElevation(), std::min(p[0], p[1])) << p[0] << " " << p[1];
        EXPECT_EQ(r.getMaxElevation(), std::max(p[0], p[1])) << p[0] << " " << p[1];
    }
}

TEST(SupportFile, SettersThatFillSeveralFields)
{
    SupportFile r;
    r.setGroundZero(1, 2, 3);
    EXPECT_EQ(r.getGroundZero(), (SupportFile::Vector3 {1, 2, 3}));
    EXPECT_EQ(r.getLoadPoint(), (SupportFile::Vector3 {1, 2, 3}));

    r.setCellSize(0.5);
    EXPECT_EQ(r.getInterlineDistance(), 0.5);
    EXPECT_EQ(r.getInterpixelDistance(), 0.5);

    r.setUseFastMath(true);
    EXPECT_EQ(r.getUseFastMath(), 1);
    r.setUseFastMath(false);
    EXPECT_EQ(r.getUseFastMath(), 0);
}

TEST(SupportFile, ReferenceSettersTakeBothReferencesFirst)
{
    SupportFile r;
    r.setLatLonReference(1, 2, 3, 4);
    EXPECT_EQ(r.getLatRef(), 1);
    EXPECT_EQ(r.getLonRef(), 2);
    EXPECT_EQ(r.getLatScale(), 3);
    EXPECT_EQ(r.getLonScale(), 4);

    r.setLSReference(5, 6, 7, 8);
    EXPECT_EQ(r.getLineRef(), 5);
    EXPECT_EQ(r.getSampleRef(), 6);
    EXPECT_EQ(r.getLineScale(), 7);
    EXPECT_EQ(r.getSampleScale(), 8);

    r.setHeightReference(9, 10);
    EXPECT_EQ(r.getHeightRef(), 9);
    EXPECT_EQ(r.getHeightScale(), 10);
}

TEST(SupportFile, ProjectionSettersShareTheConicFields)
{
    SupportFile r;
    r.setLCCProjectionParams(1, 2, 3, 4);
    r.setAlbersProjectionParams(5, 6, 7, 8);
    EXPECT_EQ(r.getStandardParallel1(), 5);
    EXPECT_EQ(r.getStandardParallel2(), 6);
    EXPECT_EQ(r.getOriginLatitude(), 7);
    EXPECT_EQ(r.getOriginLongitude(), 8);

    r.setWebMercatorProjectionParams(9);
    EXPECT_EQ(r.getOriginLongitude(), 9);
    EXPECT_EQ(r.getStandardParallel1(), 5);

    r.setTMProjectionParams(0.5, -0.25, 0.9996);
    EXPECT_EQ(r.getMiddleLatitude(), 0.5);
    EXPECT_EQ(r.getCentralMeridian(), -0.25);
    EXPECT_EQ(r.getCentralScaleFactor(), 0.9996);
}

TEST(SupportFile, CalibrationSettersStoreBackslashesOrientationSettersDoNot)
{
    SupportFile r;
    r.setOriginalCalibration("a/b/c.cal");
    r.setAdjustedCalibration("/x\\y/z.cal");
    r.setOriginalOrientation("a/b/c.odf");
    r.setAdjustedOrientation("d/e.odf");
    EXPECT_EQ(r.getOriginalCalibration(), "a\\b\\c.cal");
    EXPECT_EQ(r.getAdjustedCalibration(), "\\x\\y\\z.cal");
    EXPECT_EQ(r.getOriginalOdfFile(), "a/b/c.odf");
    EXPECT_EQ(r.getAdjustedOdfFile(), "d/e.odf");
}

TEST(SupportFile, CopiesAreIndependentOfTheirSource)
{
    QTemporaryDir dir;
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    SupportFile source = quortest::goldenL1Record(dir);

    SupportFile copy(source);
    SupportFile assigned;
    assigned = source;
    EXPECT_TRUE(quortest::sameFields(copy, source));
    EXPECT_TRUE(quortest::sameFields(assigned, source));

    source.clearImageMinifications();
    source.setImageID("changed");
    EXPECT_EQ(copy.getImageMinifications().size(), 2u);
    EXPECT_EQ(assigned.getImageMinifications().size(), 2u);
    EXPECT_EQ(copy.getImageID(), "SN3001_110115_123458_PANF02A_L1");
}

TEST(SupportFile, ClearImageMinificationsTouchesNothingElse)
{
    QTemporaryDir dir;
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    const SupportFile before = quortest::goldenL1Record(dir);
    SupportFile r = before;
    r.clearImageMinifications();
    EXPECT_TRUE(r.getImageMinifications().empty());
    EXPECT_TRUE(quortest::sameFields(r, before, {"imageFiles"}));
}

TEST(SupportFile, KeywordOfAValueOutsideItsEnumerationIsThatOfValueZero)
{
    EXPECT_STREQ(SupportFile::keyword(SupportFile::COLOR_LINE), "COLOR_LINE");
    EXPECT_STREQ(SupportFile::keyword(SupportFile::FAR_INFRARED), "FAR_INFRARED");
    EXPECT_STREQ(SupportFile::keyword(static_cast<SupportFile::SensorType>(7)), "VYN");
    EXPECT_STREQ(SupportFile::keyword(static_cast<SupportFile::ViewOfLine>(-1)), "NADIR");
    EXPECT_STREQ(SupportFile::keyword(static_cast<SupportFile::RadiometricProperty>(9)),
                 "PANCHROMATIC");
    EXPECT_STREQ(SupportFile::keyword(static_cast<SupportFile::CorrectionType>(4)),
                 "NO_CORRECTION");
}
