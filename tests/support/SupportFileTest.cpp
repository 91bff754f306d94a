// The record: defaults and the setters that fill several fields.

#include "util/support/SupportFile.h"
#include "tests/support/SupportTestUtil.h"

#include <gtest/gtest.h>

#include <ctime>

using quortest::hasFields;
using util::SupportFile;

TEST(SupportFile, NewRecordHasDefaults)
{
    const std::int64_t before = std::time(nullptr);
    const SupportFile r;
    const std::int64_t after = std::time(nullptr);
    EXPECT_TRUE(r.getPhotoDate() >= before && r.getPhotoDate() <= after);
    EXPECT_TRUE(r.getImageDate() >= before && r.getImageDate() <= after);
    EXPECT_TRUE(hasFields(
        r,
        "supportFileTag=d; imageID=; imageFiles=; rectificationTerms=0 0 1 0 1 0; gain=1; "
        "unit=1; initialized=2; imageLevel=0; sensorType=VYN; viewOfLine=NADIR; "
        "radiometricProperty=PANCHROMATIC; correction=NO_CORRECTION; rectScale=1; "
        "rectYOffset=0; latScale=1; lonScale=1; heightScale=1; lineScale=1; sampleScale=1; "
        "poly20Line=0 0 0 0 0 0 -1 0 0 0 0 0 0 0 0 0 0 0 0 0; "
        "poly20Sample=0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0; ellipsoid=NAD_83; "
        "ellipsoidSemiMajorAxis=6378127; ellipsoidEccentricity=0.081819191272036; "
        "projectionType=UTM_PROJECTION; projectionZone=11; "
        "centralMeridian=-1.1780972450961724; centralScaleFactor=0.9999; "
        "standardParallel1=0; originLongitude=0; falseEastingPos=5e+05; "
        "falseEastingNeg=5e+05; gridName=UTM_11N; bias=0; "
        "localOriginBasis=0 0 0 0 0 0 0 0 0; footprintRange=0 0 0 0"));
}

TEST(SupportFile, SettersThatFillSeveralOrSharedFields)
{
    SupportFile r;
    r.setElevationRange(50, 100); // either order
    r.setLSReference(5, 6, 7, 8);
    r.setAlbersProjectionParams(5, 6, 7, 8);
    r.setWebMercatorProjectionParams(9);
    r.setOriginalCalibration("a/b/c.cal");
    r.setAdjustedCalibration("/x\\y/z.cal");
    EXPECT_TRUE(
        hasFields(r,
                  "minElevation=50; maxElevation=100; lineRef=5; sampleRef=6; lineScale=7; "
                  "sampleScale=8; standardParallel1=5; standardParallel2=6; originLatitude=7; "
                  "originLongitude=9; originalCalibration=a\\b\\c.cal; "
                  "adjustedCalibration=\\x\\y\\z.cal"));
    r.setLCCProjectionParams(1, 2, 3, 4);
    EXPECT_TRUE(hasFields(
        r, "standardParallel1=1; standardParallel2=2; originLatitude=3; originLongitude=4"));
}
