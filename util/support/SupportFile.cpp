#include "util/support/SupportFile.h"

#include "util/support/SupportFileFields_p.h"

#include <algorithm>
#include <ctime>

namespace util {

namespace {

std::string withBackslashes(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

const char *SupportFile::keyword(SensorType value)
{
    return detail::enumWords(value).at(value);
}

const char *SupportFile::keyword(ViewOfLine value)
{
    return detail::enumWords(value).at(value);
}

const char *SupportFile::keyword(RadiometricProperty value)
{
    return detail::enumWords(value).at(value);
}

const char *SupportFile::keyword(CorrectionType value)
{
    return detail::enumWords(value).at(value);
}

SupportFile::SupportFile()
{
    resetObject();
}

SupportFile::SupportFile(const std::string &path)
{
    resetObject();
    loadFile(path);
}

SupportFile::~SupportFile() = default;

void SupportFile::resetObject()
{
    m_supportFileTag = "d";
    m_imageID.clear();
    m_imageMinifications.clear();
    m_rectificationTerms = {0, 0, 1, 0, 1, 0};
    m_groundBias = {0, 0, 0};
    m_bias = 0;
    m_gain = 1;
    m_groundZero = {0, 0, 0};
    m_loadPoint = {0, 0, 0};
    m_coordSystem = 0;
    m_unit = 1;
    m_useFastMath = 0;
    m_maxElevation = 0;
    m_minElevation = 0;
    m_imageMotion = 0;
    m_initialized = 2;
    m_status = 0;
    m_photoDate = static_cast<std::int64_t>(std::time(nullptr));
    m_quality = 0;
    m_sensorType = VYN;
    m_imageLevel = 0;
    m_meanTerrainHeight = 0;
    m_anchorLatitude = 0;
    m_anchorLongitude = 0;
    m_lineStaggered = false;
    m_viewOfLine = NADIR;
    m_radiometricProperty = PANCHROMATIC;
    m_imageDate = static_cast<std::int64_t>(std::time(nullptr));
    m_numberScanLines = 0;
    m_sensorRotation = false;
    m_correction = NO_CORRECTION;
    m_l0GSD = 0;
    m_originalOrientation.clear();
    m_adjustedOrientation.clear();
    m_originalCalibration.clear();
    m_adjustedCalibration.clear();
    m_localOrigin = {0, 0, 0};
    m_localOriginBasis.fill(0);
    m_l0ImageName.clear();
    m_rectScale = 1;
    m_rectRotation = 0;
    m_rectXOffset = 0;
    m_rectYOffset = 0;
    m_rectHeight = 0;
    m_rectUseCalibration = false;
    m_footprintRange = {0, 0, 0, 0};
    m_latRef = 0;
    m_latScale = 1;
    m_lonRef = 0;
    m_lonScale = 1;
    m_heightRef = 0;
    m_heightScale = 1;
    m_lineRef = 0;
    m_lineScale = 1;
    m_sampleRef = 0;
    m_sampleScale = 1;
    m_poly20Line.fill(0);
    m_poly20Line[6] = -1;
    m_poly20Sample.fill(0);
    m_poly20Sample[3] = 1;
    m_interlineDistance = 0;
    m_interpixelDistance = 0;
    m_ellipsoid = "NAD_83";
    m_verticalReference = 0;
    m_ellipsoidSemiMajorAxis = 6378127.0; // sic: the suite's files carry this value
    m_ellipsoidEccentricity = 0.081819191272036;
    m_ellipsoidCenter = {0, 0, 0};
    m_projectionType = "UTM_PROJECTION";
    m_projectionZone = 11;
    m_middleLatitude = 0;
    m_centralMeridian = -1.1780972450961724;
    m_centralScaleFactor = 0.9999;
    m_falseNorthingPos = 0;
    m_falseNorthingNeg = 0;
    m_falseEastingPos = 500000;
    m_falseEastingNeg = 500000;
    m_gridName = "UTM_11N";
}

void SupportFile::clearImageMinifications()
{
    m_imageMinifications.clear();
}

void SupportFile::setImageID(const std::string &id)
{
    m_imageID = id;
}

void SupportFile::setRectificationTerms(double t0, double t1, double t2, double t3, double t4,
                                        double t5)
{
    m_rectificationTerms = {t0, t1, t2, t3, t4, t5};
}

void SupportFile::setGroundBias(double x, double y, double z)
{
    m_groundBias = {x, y, z};
}

void SupportFile::setBias(double bias)
{
    m_bias = bias;
}

void SupportFile::setGain(double gain)
{
    m_gain = gain;
}

void SupportFile::setGroundZero(double x, double y, double z)
{
    m_groundZero = {x, y, z};
    m_loadPoint = m_groundZero;
}

void SupportFile::setMeanTerrainHeight(double height)
{
    m_meanTerrainHeight = height;
}

void SupportFile::setCoordSystem(int code)
{
    m_coordSystem = code;
}

void SupportFile::setUnit(int code)
{
    m_unit = code;
}

void SupportFile::setUseFastMath(bool on)
{
    m_useFastMath = on ? 1 : 0;
}

void SupportFile::setElevationRange(double a, double b)
{
    m_minElevation = std::min(a, b);
    m_maxElevation = std::max(a, b);
}

void SupportFile::setImageMotion(int code)
{
    m_imageMotion = code;
}

void SupportFile::setInitialized(int code)
{
    m_initialized = code;
}

void SupportFile::setStatus(int code)
{
    m_status = code;
}

void SupportFile::setPhotoDate(std::int64_t time)
{
    m_photoDate = time;
}

void SupportFile::setImageQuality(int quality)
{
    m_quality = quality;
}

void SupportFile::setSensorType(SensorType type)
{
    m_sensorType = type;
}

void SupportFile::setAnchorPoint(double latitude, double longitude)
{
    m_anchorLatitude = latitude;
    m_anchorLongitude = longitude;
}

void SupportFile::setLineStaggered(bool staggered)
{
    m_lineStaggered = staggered;
}

void SupportFile::setViewOfLine(ViewOfLine view)
{
    m_viewOfLine = view;
}

void SupportFile::setRadiometricProperty(RadiometricProperty property)
{
    m_radiometricProperty = property;
}

void SupportFile::setNumberScanLines(int lines)
{
    m_numberScanLines = lines;
}

void SupportFile::setSensorRotation(bool rotation)
{
    m_sensorRotation = rotation;
}

void SupportFile::setCorrection(CorrectionType correction)
{
    m_correction = correction;
}

void SupportFile::setL0GSD(double gsd)
{
    m_l0GSD = gsd;
}

void SupportFile::setOriginalOrientation(const std::string &path)
{
    m_originalOrientation = path;
}

void SupportFile::setAdjustedOrientation(const std::string &path)
{
    m_adjustedOrientation = path;
}

void SupportFile::setOriginalCalibration(const std::string &path)
{
    m_originalCalibration = withBackslashes(path);
}

void SupportFile::setAdjustedCalibration(const std::string &path)
{
    m_adjustedCalibration = withBackslashes(path);
}

void SupportFile::setLocalOrigin(double x, double y, double z)
{
    m_localOrigin = {x, y, z};
}

void SupportFile::setLocalOriginBasis(const double *basis)
{
    std::copy(basis, basis + m_localOriginBasis.size(), m_localOriginBasis.begin());
}

void SupportFile::setL0ImageName(const std::string &name)
{
    m_l0ImageName = name;
}

void SupportFile::setRectScale(double scale)
{
    m_rectScale = scale;
}

void SupportFile::setRectRotation(double rotation)
{
    m_rectRotation = rotation;
}

void SupportFile::setRectOffset(double x, double y)
{
    m_rectXOffset = x;
    m_rectYOffset = y;
}

void SupportFile::setRectHeight(double height)
{
    m_rectHeight = height;
}

void SupportFile::setRectUseCalibration(bool use)
{
    m_rectUseCalibration = use;
}

void SupportFile::setFootprintRange(double llSample, double llLine, double urSample, double urLine)
{
    m_footprintRange = {llSample, llLine, urSample, urLine};
}

void SupportFile::setLatLonReference(double latRef, double lonRef, double latScale, double lonScale)
{
    m_latRef = latRef;
    m_lonRef = lonRef;
    m_latScale = latScale;
    m_lonScale = lonScale;
}

void SupportFile::setHeightReference(double hRef, double hScale)
{
    m_heightRef = hRef;
    m_heightScale = hScale;
}

void SupportFile::setLSReference(double lineRef, double sampleRef, double lineScale,
                                 double sampleScale)
{
    m_lineRef = lineRef;
    m_sampleRef = sampleRef;
    m_lineScale = lineScale;
    m_sampleScale = sampleScale;
}

void SupportFile::setPoly20(const double *line, const double *sample)
{
    std::copy(line, line + m_poly20Line.size(), m_poly20Line.begin());
    std::copy(sample, sample + m_poly20Sample.size(), m_poly20Sample.begin());
}

void SupportFile::setCellSize(double size)
{
    m_interlineDistance = size;
    m_interpixelDistance = size;
}

void SupportFile::setEllipsoid(const std::string &name)
{
    m_ellipsoid = name;
}

void SupportFile::setVerticalReference(int code)
{
    m_verticalReference = code;
}

void SupportFile::setEllipsoidRadius(double semiMajorAxis, double eccentricity)
{
    m_ellipsoidSemiMajorAxis = semiMajorAxis;
    m_ellipsoidEccentricity = eccentricity;
}

void SupportFile::setEllipsoidCenter(double x, double y, double z)
{
    m_ellipsoidCenter = {x, y, z};
}

void SupportFile::setProjectionType(const std::string &type)
{
    m_projectionType = type;
}

void SupportFile::setProjectionZone(int zone)
{
    m_projectionZone = zone;
}

void SupportFile::setTMProjectionParams(double middleLatitude, double centralMeridian,
                                        double centralScaleFactor)
{
    m_middleLatitude = middleLatitude;
    m_centralMeridian = centralMeridian;
    m_centralScaleFactor = centralScaleFactor;
}

void SupportFile::setLCCProjectionParams(double standardParallel1, double standardParallel2,
                                         double originLatitude, double originLongitude)
{
    m_standardParallel1 = standardParallel1;
    m_standardParallel2 = standardParallel2;
    m_originLatitude = originLatitude;
    m_originLongitude = originLongitude;
}

void SupportFile::setAlbersProjectionParams(double standardParallel1, double standardParallel2,
                                            double originLatitude, double originLongitude)
{
    setLCCProjectionParams(standardParallel1, standardParallel2, originLatitude, originLongitude);
}

void SupportFile::setWebMercatorProjectionParams(double originLongitude)
{
    m_originLongitude = originLongitude;
}

void SupportFile::setProjectionOriginOffset(double northingPos, double northingNeg,
                                            double eastingPos, double eastingNeg)
{
    m_falseNorthingPos = northingPos;
    m_falseNorthingNeg = northingNeg;
    m_falseEastingPos = eastingPos;
    m_falseEastingNeg = eastingNeg;
}

void SupportFile::setGridName(const std::string &name)
{
    m_gridName = name;
}

} // namespace util
