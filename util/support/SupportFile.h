#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace util {

/// In-memory form of one image support file: the keyword text file that travels beside an
/// image of level 0 (raw sensor image), 1 (rectified image) or 2 (orthophoto).
///
/// Reading (`loadFile`)
/// - The file is a stream of words separated by blanks (space, tab, CR, LF, VT, FF). Keywords
///   are case-insensitive; enumeration words are case-sensitive; the flag word "TRUE" is not.
/// - The level is detected first: the last "IMAGE_LEVEL" and its integer win, a file without
///   one is level 2, an unreadable file (or an empty path) level 0. Then the loader of that
///   level reads the file. The record is not reset: absent keywords leave their fields alone
///   and every image-file block appends an entry.
/// - A word where a number stands: the keyword is dropped, its fields keep their values, and
///   that word is read again in keyword position (so "BIAS GAIN 2" still reads the gain). The
///   load goes on. Integers must be whole decimal words that fit an int, optionally with a
///   fraction of zeros ("1.0" and "1." are 1; "1.5", "1e0" and "99999999999" are not
///   integers, so "COORD_SYSTEM 1.5" leaves the code unchanged); floating-point numbers are
///   whole decimal words, fixed or scientific, and "inf"/"nan" as the writer writes them. An
///   "IMAGE_LEVEL" followed by a word that is no integer does not change the detected level.
/// - A keyword at the very end of the file without (all of) its values leaves its fields
///   unchanged; the load still counts as complete.
/// - The image-file block ("IMAGE_FILE_NAME" level "name", "LINES" n, "SAMPLES" n) is all or
///   nothing: any missing or malformed part ends the load there, appends nothing, and the
///   level-0 image name is then not replaced by the path.
/// - Rest-of-line values ("IMAGE_ID", "PHOTO_DATE", "IMAGE_DATE", the image file name) take at
///   most 254 characters of their line; a longer line is cut there and the remainder of the
///   line is skipped. A quoted value is trimmed of spaces and tabs and loses its first and
///   last character (nothing is left of fewer than two). A keyword at the end of the file with
///   nothing after it leaves its field unchanged.
/// - Line ends: LF, CR LF or a lone CR; CR LF and CR-only files read exactly like LF files.
/// - Only regular files of at most 16 MiB are read; anything else (a FIFO, a device, a
///   directory, a larger file) counts as unreadable: level 0, nothing changed.
/// - Dates ("PHOTO_DATE", "IMAGE_DATE") are read like sscanf("%s %s %d %d:%d:%d %d"): weekday
///   (ignored), month word ("Jan" to "Dec", exactly; any other word means January), day,
///   hh:mm:ss, year, as local time. A text that does not match the whole pattern, or that the
///   C library cannot convert, leaves the date field unchanged.
/// - The reader is independent of the process locale.
///
/// Writing (`exportL1SupportFile`, `exportL2SupportFile`)
/// - The layout is fixed byte for byte; numbers never depend on the process locale. Exponents
///   have a sign and at least two digits, as printf's %e writes them.
/// - Dates are the C library's ctime text in local time (TZ applies). A date that ctime cannot
///   format (years outside about -999 to 9999) is written as an empty text: PHOTO_DATE "" and
///   a bare "IMAGE_DATE   " line; reading such a file leaves the date unchanged.
class UTIL_EXPORT SupportFile
{
public:
    /// Size of the line buffer for rest-of-line values (at most STR_LEN - 2 characters are read).
    static constexpr int STR_LEN = 256;

    /// One image file of the image, at one minification level.
    struct ImageMinification
    {
        int level = 1; ///< 1 is the full-resolution image
        std::string fileName; ///< absolute, or relative to a base directory
        int lines = 0;
        int samples = 0;
    };

    // A fixed underlying type: values outside the lists may stand in a record (callers cast);
    // the writer then writes the word of value 0.
    enum SensorType : int { VYN = 0, GENERAL_3D_POLYNOMIAL = 1, ORTHO = 2 };
    enum ViewOfLine : int { NADIR = 0, FORWARD = 1, BACKWARD = 2, COLOR_LINE = 3 };
    enum RadiometricProperty : int {
        PANCHROMATIC = 0,
        RED = 1,
        GREEN = 2,
        BLUE = 3,
        RGB = 4,
        NEAR_INFRARED = 5,
        FAR_INFRARED = 6
    };
    enum CorrectionType : int {
        NO_CORRECTION = 0,
        EARTH_CURV_CORR = 1,
        ATMOSPH_CORR = 2,
        EARTH_AND_ATMOSPH_CORR = 3
    };

    using Vector3 = std::array<double, 3>;

    /// The file word of an enumeration value; a value outside the enumeration gives the word
    /// of value 0.
    static const char *keyword(SensorType value);
    static const char *keyword(ViewOfLine value);
    static const char *keyword(RadiometricProperty value);
    static const char *keyword(CorrectionType value);

    /// Every field takes its default; both dates are the current time.
    SupportFile();
    /// Defaults, then loadFile(path).
    explicit SupportFile(const std::string &path);
    SupportFile(const SupportFile &) = default;
    SupportFile &operator=(const SupportFile &) = default;
    ~SupportFile();

    /// Empties the image list and touches nothing else.
    void clearImageMinifications();

    // --- Reading -------------------------------------------------------------------------

    /// Detects the level, stores it and runs the loader of that level (see the class notes).
    /// Returns the detected level. A level other than 0, 1 or 2 writes "Unsupported image
    /// level" to stderr and loads nothing.
    int loadFile(const std::string &path);

    /// How loadFileChecked went.
    enum class ReadStatus {
        Complete, ///< read to its end as a support file, nothing out of place
        Damaged, ///< read (as far as it goes), but not a sound support file: see the message
        Unreadable, ///< not opened or refused (see the class notes): nothing changed but the level
    };
    /// Loads exactly as loadFile does (the record changes the same way; the level is
    /// getImageLevel()), writes nothing to stderr, and tells what the reader met. Damaged
    /// means any of: an empty file; a first word other than "SUPPORT_FILE"; an unsupported
    /// level; a broken image-file block (where the load stopped); a value that is cut short
    /// at the end of the file, is not of its keyword's kind ("BIAS x", "UNITS 1.5"), is no
    /// word of its enumeration, is no date, is not in quotes or is cut at 254 characters; a
    /// flag other than TRUE or FALSE; a word with control characters where a keyword stands.
    /// (A keyword with no value at all as the file's last word is not counted: the writer
    /// ends a transverse Mercator file with a bare GRID_NAME.) failure (when given) then
    /// says why, naming the file: for a damaged file an empty or foreign file first, else where
    /// reading stopped, else the earliest problem, with its line ("PATH: line 3: UNITS needs an
    /// integer, not 'METERS'"); for an unreadable file a system error ("PATH: No such file or
    /// directory", "PATH: Is a directory") or "PATH: not a regular file", "PATH: larger than 16
    /// MiB, no support file". Its reason is empty for a complete read.
    ReadStatus loadFileChecked(const std::string &path, Failure *failure = nullptr);

    /// The kind of value a keyword carries, as forEachKeyword lists it.
    enum class ValueKind {
        Text, ///< a word, a quoted text or an enumeration word, as stored
        Integer, ///< decimal
        Numbers, ///< one or more numbers as the file holds them, separated by single spaces
        Flag, ///< "TRUE" or "FALSE"
        Date, ///< seconds since 1970-01-01 00:00:00 UTC, decimal
        ImageFiles, ///< the number of image entries (the entries: getImageMinifications())
    };
    /// Receives one keyword: its spelling in the file, the levels whose loaders read it (bit n
    /// for level n; 0 for "IMAGE_LEVEL", which the level detection reads), its kind, and the
    /// record's value for it as text.
    using KeywordVisitor = std::function<void(const char *keyword, unsigned levels, ValueKind kind,
                                              const std::string &value)>;
    /// Calls visit once per keyword of the file format, in the order of the record's fields:
    /// every field of the record is listed under the keyword that sets it. Numbers are the
    /// shortest text that reads back as the same double (500000, 0.0625, 1e+300), values
    /// as the file holds them (RECT_YOFFSET without the record's +1; MAX_AND_MIN_ELEVATION as
    /// minimum, then maximum; each FOOTPRINT_ keyword one element of the footprint range).
    void forEachKeyword(const KeywordVisitor &visit) const;

    // --- Writing -------------------------------------------------------------------------

    /// Sets the level to 1 and writes a level-1 file. With relativeImageNames, image file
    /// names are written relative to the folder of path; with writeLevel0Name, a non-empty
    /// level-0 image name is written. The file is replaced atomically (a temporary file
    /// beside it is renamed into place). False if it cannot be created or written; an old
    /// file at path then stays as it was.
    bool exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                             bool relativeImageNames);
    /// Sets the level to 2 and writes a level-2 file. Result as exportL1SupportFile.
    bool exportL2SupportFile(const std::string &path);
    /// As above, with the failure in *failure (when given): a system error naming path.
    bool exportL1SupportFile(const std::string &path, bool writeLevel0Name, bool relativeImageNames,
                             Failure *failure);
    bool exportL2SupportFile(const std::string &path, Failure *failure);

    /// The forms of 6.2 that reported one line in *errorString, kept for programs built
    /// against them: the same as the Failure forms, with failure.text() in *errorString.
    [[deprecated("report through util::Failure")]] ReadStatus
    loadFileChecked(const std::string &path, QString *errorString);
    [[deprecated("report through util::Failure")]] bool exportL1SupportFile(const std::string &path,
                                                                            bool writeLevel0Name,
                                                                            bool relativeImageNames,
                                                                            QString *errorString);
    [[deprecated("report through util::Failure")]] bool exportL2SupportFile(const std::string &path,
                                                                            QString *errorString);

    /// The exact text that exportL1SupportFile would write to path, without touching the
    /// record or the disk (for callers that write files their own way).
    std::string formatL1SupportFile(const std::string &path, bool writeLevel0Name,
                                    bool relativeImageNames) const;
    /// The exact text that exportL2SupportFile would write.
    std::string formatL2SupportFile() const;

    // --- Setters -------------------------------------------------------------------------

    /// Appends an image file at a minification level. Only files whose extension (after the
    /// last dot) starts with "VYN", in any case, are taken; anything else returns false and
    /// changes nothing. Level 1 makes the file's base name (up to its last dot) the image
    /// identifier and now the image date. With readSensorFile, lines and samples are
    /// overwritten with the counts the sensor file's header holds (a file that cannot be read
    /// gives 0 and 0); otherwise they are taken as passed. The name is stored relative to
    /// baseDirectory when one is given.
    bool addImage(const std::string &path, int &lines, int &samples, int level, bool readSensorFile,
                  const std::string &baseDirectory);
    /// True when every file the record refers to exists: the image files in list order, then
    /// the original and adjusted orientation, the original and adjusted calibration and the
    /// level-0 image name, each when not empty. Names are tested as stored (a relative name
    /// against the current folder). Stops at the first missing file; with verbose its message
    /// ("Image file: <name> dosen't exist!", ...) goes to the standard error stream.
    bool isValid(bool verbose) const;
    /// The message of every missing file, in the order isValid() checks them (empty when the
    /// record is valid). For checking many records at once without stopping at the first.
    std::vector<std::string> missingFiles() const;
    void setImageID(const std::string &id);
    void setRectificationTerms(double t0, double t1, double t2, double t3, double t4, double t5);
    void setGroundBias(double x, double y, double z);
    void setBias(double bias);
    void setGain(double gain);
    /// Sets the ground zero and the load point to the same point.
    void setGroundZero(double x, double y, double z);
    void setMeanTerrainHeight(double height);
    void setCoordSystem(int code);
    void setUnit(int code);
    void setUseFastMath(bool on);
    /// The smaller value becomes the minimum, the larger the maximum, in either order.
    void setElevationRange(double a, double b);
    void setImageMotion(int code);
    void setInitialized(int code);
    void setStatus(int code);
    void setPhotoDate(std::int64_t time);
    void setImageQuality(int quality);
    void setSensorType(SensorType type);
    void setAnchorPoint(double latitude, double longitude);
    void setLineStaggered(bool staggered);
    void setViewOfLine(ViewOfLine view);
    void setRadiometricProperty(RadiometricProperty property);
    void setNumberScanLines(int lines);
    void setSensorRotation(bool rotation);
    void setCorrection(CorrectionType correction);
    void setL0GSD(double gsd);
    void setOriginalOrientation(const std::string &path);
    void setAdjustedOrientation(const std::string &path);
    /// Stores the path with every forward slash replaced by a backslash.
    void setOriginalCalibration(const std::string &path);
    /// Stores the path with every forward slash replaced by a backslash.
    void setAdjustedCalibration(const std::string &path);
    void setLocalOrigin(double x, double y, double z);
    /// Copies 9 values, row by row.
    void setLocalOriginBasis(const double *basis);
    void setL0ImageName(const std::string &name);
    void setRectScale(double scale);
    void setRectRotation(double rotation);
    /// Both stored unchanged; y is in the record's convention (file value plus 1).
    void setRectOffset(double x, double y);
    void setRectHeight(double height);
    void setRectUseCalibration(bool use);
    void setFootprintRange(double llSample, double llLine, double urSample, double urLine);
    void setLatLonReference(double latRef, double lonRef, double latScale, double lonScale);
    void setHeightReference(double hRef, double hScale);
    void setLSReference(double lineRef, double sampleRef, double lineScale, double sampleScale);
    /// Copies 20 line and 20 sample coefficients.
    void setPoly20(const double *line, const double *sample);
    /// Sets both the interline and the interpixel distance.
    void setCellSize(double size);
    void setEllipsoid(const std::string &name);
    void setVerticalReference(int code);
    void setEllipsoidRadius(double semiMajorAxis, double eccentricity);
    void setEllipsoidCenter(double x, double y, double z);
    void setProjectionType(const std::string &type);
    void setProjectionZone(int zone);
    void setTMProjectionParams(double middleLatitude, double centralMeridian,
                               double centralScaleFactor);
    void setLCCProjectionParams(double standardParallel1, double standardParallel2,
                                double originLatitude, double originLongitude);
    /// Same fields as setLCCProjectionParams.
    void setAlbersProjectionParams(double standardParallel1, double standardParallel2,
                                   double originLatitude, double originLongitude);
    /// Sets the origin longitude only.
    void setWebMercatorProjectionParams(double originLongitude);
    void setProjectionOriginOffset(double northingPos, double northingNeg, double eastingPos,
                                   double eastingNeg);
    void setGridName(const std::string &name);

    // --- Getters: one per field, in field order -------------------------------------------

    const std::string &getSupportFileTag() const { return m_supportFileTag; }
    const std::string &getImageID() const { return m_imageID; }
    const std::vector<ImageMinification> &getImageMinifications() const
    {
        return m_imageMinifications;
    }
    /// t0 to t5.
    const std::array<double, 6> &getRectificationTerms() const { return m_rectificationTerms; }
    const Vector3 &getGroundBias() const { return m_groundBias; }
    double getBias() const { return m_bias; }
    double getGain() const { return m_gain; }
    const Vector3 &getGroundZero() const { return m_groundZero; }
    const Vector3 &getLoadPoint() const { return m_loadPoint; }
    int getCoordSystem() const { return m_coordSystem; }
    int getUnit() const { return m_unit; }
    int getUseFastMath() const { return m_useFastMath; }
    double getMaxElevation() const { return m_maxElevation; }
    double getMinElevation() const { return m_minElevation; }
    int getImageMotion() const { return m_imageMotion; }
    int getInitialized() const { return m_initialized; }
    int getStatus() const { return m_status; }
    std::int64_t getPhotoDate() const { return m_photoDate; }
    int getQuality() const { return m_quality; }
    SensorType getSensorType() const { return m_sensorType; }
    int getImageLevel() const { return m_imageLevel; }
    double getMeanTerrainHeight() const { return m_meanTerrainHeight; }
    double getAnchorLatitude() const { return m_anchorLatitude; }
    double getAnchorLongitude() const { return m_anchorLongitude; }
    bool getLineStaggered() const { return m_lineStaggered; }
    ViewOfLine getViewOfLine() const { return m_viewOfLine; }
    RadiometricProperty getRadiometricProperty() const { return m_radiometricProperty; }
    std::int64_t getImageDate() const { return m_imageDate; }
    int getNumberScanLines() const { return m_numberScanLines; }
    bool getSensorRotation() const { return m_sensorRotation; }
    CorrectionType getCorrection() const { return m_correction; }
    double getL0GSD() const { return m_l0GSD; }
    const std::string &getOriginalOdfFile() const { return m_originalOrientation; }
    const std::string &getAdjustedOdfFile() const { return m_adjustedOrientation; }
    const std::string &getOriginalCalibration() const { return m_originalCalibration; }
    const std::string &getAdjustedCalibration() const { return m_adjustedCalibration; }
    const Vector3 &getLocalOrigin() const { return m_localOrigin; }
    /// 3 by 3, row by row.
    const std::array<double, 9> &getLocalOriginBasis() const { return m_localOriginBasis; }
    const std::string &getL0ImageName() const { return m_l0ImageName; }
    double getRectScale() const { return m_rectScale; }
    double getRectRotation() const { return m_rectRotation; }
    double getRectXOffset() const { return m_rectXOffset; }
    /// In the record's convention: the file value plus 1.
    double getRectYOffset() const { return m_rectYOffset; }
    double getRectHeight() const { return m_rectHeight; }
    bool getRectUseCalibration() const { return m_rectUseCalibration; }
    /// Lower-left sample, lower-left line, upper-right sample, upper-right line.
    const std::array<double, 4> &getFootprintRange() const { return m_footprintRange; }
    double getLatRef() const { return m_latRef; }
    double getLatScale() const { return m_latScale; }
    double getLonRef() const { return m_lonRef; }
    double getLonScale() const { return m_lonScale; }
    double getHeightRef() const { return m_heightRef; }
    double getHeightScale() const { return m_heightScale; }
    double getLineRef() const { return m_lineRef; }
    double getLineScale() const { return m_lineScale; }
    double getSampleRef() const { return m_sampleRef; }
    double getSampleScale() const { return m_sampleScale; }
    const std::array<double, 20> &getPoly20Line() const { return m_poly20Line; }
    const std::array<double, 20> &getPoly20Sample() const { return m_poly20Sample; }
    double getInterlineDistance() const { return m_interlineDistance; }
    double getInterpixelDistance() const { return m_interpixelDistance; }
    const std::string &getEllipsoid() const { return m_ellipsoid; }
    int getVerticalReference() const { return m_verticalReference; }
    double getEllipsoidSemiMajorAxis() const { return m_ellipsoidSemiMajorAxis; }
    double getEllipsoidEccentricity() const { return m_ellipsoidEccentricity; }
    const Vector3 &getEllipsoidCenter() const { return m_ellipsoidCenter; }
    const std::string &getProjectionType() const { return m_projectionType; }
    int getProjectionZone() const { return m_projectionZone; }
    double getMiddleLatitude() const { return m_middleLatitude; }
    double getCentralMeridian() const { return m_centralMeridian; }
    double getCentralScaleFactor() const { return m_centralScaleFactor; }
    /// The four conic parameters start at zero in a new record.
    double getStandardParallel1() const { return m_standardParallel1; }
    double getStandardParallel2() const { return m_standardParallel2; }
    double getOriginLatitude() const { return m_originLatitude; }
    double getOriginLongitude() const { return m_originLongitude; }
    double getFalseNorthingPos() const { return m_falseNorthingPos; }
    double getFalseNorthingNeg() const { return m_falseNorthingNeg; }
    double getFalseEastingPos() const { return m_falseEastingPos; }
    double getFalseEastingNeg() const { return m_falseEastingNeg; }
    const std::string &getGridName() const { return m_gridName; }

private:
    friend class SupportFileReader;
    friend struct SupportFileFieldTable;

    void resetObject();

    std::string m_supportFileTag;
    std::string m_imageID;
    std::vector<ImageMinification> m_imageMinifications;
    std::array<double, 6> m_rectificationTerms;
    Vector3 m_groundBias;
    double m_bias;
    double m_gain;
    Vector3 m_groundZero;
    Vector3 m_loadPoint;
    int m_coordSystem;
    int m_unit;
    int m_useFastMath;
    double m_maxElevation;
    double m_minElevation;
    int m_imageMotion;
    int m_initialized;
    int m_status;
    std::int64_t m_photoDate;
    int m_quality;
    SensorType m_sensorType;
    int m_imageLevel;
    double m_meanTerrainHeight;
    double m_anchorLatitude;
    double m_anchorLongitude;
    bool m_lineStaggered;
    ViewOfLine m_viewOfLine;
    RadiometricProperty m_radiometricProperty;
    std::int64_t m_imageDate;
    int m_numberScanLines;
    bool m_sensorRotation;
    CorrectionType m_correction;
    double m_l0GSD;
    std::string m_originalOrientation;
    std::string m_adjustedOrientation;
    std::string m_originalCalibration;
    std::string m_adjustedCalibration;
    Vector3 m_localOrigin;
    std::array<double, 9> m_localOriginBasis;
    std::string m_l0ImageName;
    double m_rectScale;
    double m_rectRotation;
    double m_rectXOffset;
    double m_rectYOffset;
    double m_rectHeight;
    bool m_rectUseCalibration;
    std::array<double, 4> m_footprintRange;
    double m_latRef;
    double m_latScale;
    double m_lonRef;
    double m_lonScale;
    double m_heightRef;
    double m_heightScale;
    double m_lineRef;
    double m_lineScale;
    double m_sampleRef;
    double m_sampleScale;
    std::array<double, 20> m_poly20Line;
    std::array<double, 20> m_poly20Sample;
    double m_interlineDistance;
    double m_interpixelDistance;
    std::string m_ellipsoid;
    int m_verticalReference;
    double m_ellipsoidSemiMajorAxis;
    double m_ellipsoidEccentricity;
    Vector3 m_ellipsoidCenter;
    std::string m_projectionType;
    int m_projectionZone;
    double m_middleLatitude;
    double m_centralMeridian;
    double m_centralScaleFactor;
    // The reset leaves the four conic parameters alone; a new record starts them at zero.
    double m_standardParallel1 = 0;
    double m_standardParallel2 = 0;
    double m_originLatitude = 0;
    double m_originLongitude = 0;
    double m_falseNorthingPos;
    double m_falseNorthingNeg;
    double m_falseEastingPos;
    double m_falseEastingNeg;
    std::string m_gridName;
};

} // namespace util
