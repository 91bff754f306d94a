#pragma once

/// \file
/// The in-memory form of an image support file, read and written.
/// \ingroup support

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
/// \ingroup support
class UTIL_EXPORT SupportFile
{
public:
    /// Size of the line buffer for rest-of-line values (at most STR_LEN - 2 characters are read).
    static constexpr int STR_LEN = 256;

    /// One image file of the image, at one minification level.
    /// \ingroup support
    struct ImageMinification
    {
        int level = 1; ///< 1 is the full-resolution image
        std::string fileName; ///< absolute, or relative to a base directory
        int lines = 0; ///< number of image lines ("LINES")
        int samples = 0; ///< number of samples per line ("SAMPLES")
    };

    // A fixed underlying type: values outside the lists may stand in a record (callers cast);
    // the writer then writes the word of value 0.

    /// The kind of sensor model ("SENSOR_TYPE"); the file words are the enumerators' names.
    enum SensorType : int {
        VYN = 0, ///< the line sensor
        GENERAL_3D_POLYNOMIAL = 1, ///< a general 3-D polynomial
        ORTHO = 2 ///< an orthophoto
    };
    /// The direction the sensor line looks ("VIEW_OF_LINE"); the file words are the
    /// enumerators' names.
    enum ViewOfLine : int {
        NADIR = 0, ///< straight down
        FORWARD = 1, ///< forward
        BACKWARD = 2, ///< backward
        COLOR_LINE = 3 ///< a colour line
    };
    /// The spectral band of the image ("RADIOMETRIC_PROPERTY"); the file words are the
    /// enumerators' names.
    enum RadiometricProperty : int {
        PANCHROMATIC = 0, ///< panchromatic
        RED = 1, ///< red
        GREEN = 2, ///< green
        BLUE = 3, ///< blue
        RGB = 4, ///< true colour
        NEAR_INFRARED = 5, ///< near infrared
        FAR_INFRARED = 6 ///< far infrared
    };
    /// The corrections applied to the image ("CORRECTION"); the file words are the
    /// enumerators' names.
    enum CorrectionType : int {
        NO_CORRECTION = 0, ///< none
        EARTH_CURV_CORR = 1, ///< earth curvature
        ATMOSPH_CORR = 2, ///< atmospheric refraction
        EARTH_AND_ATMOSPH_CORR = 3 ///< earth curvature and atmospheric refraction
    };

    /// Three coordinates: x, y, z.
    using Vector3 = std::array<double, 3>;

    /// The file word of an enumeration value; a value outside the enumeration gives the word
    /// of value 0.
    /// \param value the sensor type
    /// \return the word, "VYN" to "ORTHO"
    static const char *keyword(SensorType value);
    /// As keyword(SensorType), for a view of line.
    /// \param value the view of line
    /// \return the word, "NADIR" to "COLOR_LINE"
    static const char *keyword(ViewOfLine value);
    /// As keyword(SensorType), for a radiometric property.
    /// \param value the radiometric property
    /// \return the word, "PANCHROMATIC" to "FAR_INFRARED"
    static const char *keyword(RadiometricProperty value);
    /// As keyword(SensorType), for a correction.
    /// \param value the correction
    /// \return the word, "NO_CORRECTION" to "EARTH_AND_ATMOSPH_CORR"
    static const char *keyword(CorrectionType value);

    /// Every field takes its default; both dates are the current time.
    SupportFile();
    /// Defaults, then loadFile(path).
    /// \param path the support file to load; the detected level stays in the record, and
    /// nothing else is reported
    explicit SupportFile(const std::string &path);
    /// A copy of every field; the image list is copied, not shared.
    SupportFile(const SupportFile &) = default;
    /// Copies every field; the image list is copied, not shared.
    /// \return this record
    SupportFile &operator=(const SupportFile &) = default;
    /// Releases the strings and the image list.
    ~SupportFile();

    /// Empties the image list and touches nothing else.
    void clearImageMinifications();

    // --- Reading -------------------------------------------------------------------------

    /// Detects the level, stores it and runs the loader of that level (see the class notes).
    /// Returns the detected level. A level other than 0, 1 or 2 writes "Unsupported image
    /// level" to stderr and loads nothing.
    /// \param path the support file
    /// \return the detected level (0 for an unreadable file), also when it is unsupported
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
    /// \param path the support file
    /// \param[out] failure receives the failure when given; may be null
    /// \return how the load went
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
    /// Receives one keyword of the file format. Its arguments are the keyword's spelling in the
    /// file, the levels whose loaders read it (bit n for level n; 0 for "IMAGE_LEVEL", which the
    /// level detection reads), its kind, and the record's value for it as text.
    using KeywordVisitor = std::function<void(const char *keyword, unsigned levels, ValueKind kind,
                                              const std::string &value)>;
    /// Calls visit once per keyword of the file format, in the order of the record's fields:
    /// every field of the record is listed under the keyword that sets it. Numbers are the
    /// shortest text that reads back as the same double (500000, 0.0625, 1e+300), values
    /// as the file holds them (RECT_YOFFSET without the record's +1; MAX_AND_MIN_ELEVATION as
    /// minimum, then maximum; each FOOTPRINT_ keyword one element of the footprint range).
    /// \param visit called once per keyword
    void forEachKeyword(const KeywordVisitor &visit) const;

    // --- Writing -------------------------------------------------------------------------

    /// Sets the level to 1 and writes a level-1 file. With relativeImageNames, image file
    /// names are written relative to the folder of path; with writeLevel0Name, a non-empty
    /// level-0 image name is written. The file is replaced by the library's rule for replacing
    /// files (docs/replacing-files.md). False if it cannot be created or written; an old
    /// file at path then stays as it was.
    /// \param path the file to write
    /// \param writeLevel0Name whether a non-empty level-0 image name is written
    /// \param relativeImageNames whether image file names are written relative to the folder
    /// of path
    /// \return true when the file is written
    bool exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                             bool relativeImageNames);
    /// Sets the level to 2 and writes a level-2 file. Result as exportL1SupportFile.
    /// \param path the file to write
    /// \return true when the file is written
    bool exportL2SupportFile(const std::string &path);
    /// As exportL1SupportFile(path, writeLevel0Name, relativeImageNames), with the failure in
    /// *failure (when given): a system error naming path.
    /// \param path the file to write
    /// \param writeLevel0Name whether a non-empty level-0 image name is written
    /// \param relativeImageNames whether image file names are written relative to the folder
    /// of path
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when the file is written
    bool exportL1SupportFile(const std::string &path, bool writeLevel0Name, bool relativeImageNames,
                             Failure *failure);
    /// As exportL2SupportFile(path), with the failure in *failure (when given): a system error
    /// naming path.
    /// \param path the file to write
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when the file is written
    bool exportL2SupportFile(const std::string &path, Failure *failure);

    /// The form of 6.2 that reported one line in *errorString, kept for programs built
    /// against it: the same as the Failure form, with failure.text() in *errorString.
    /// \deprecated Use loadFileChecked(const std::string &, Failure *) instead.
    /// \param path the support file
    /// \param[out] errorString receives the text when given, empty for a complete read; may be
    /// null
    /// \return how the load went
    [[deprecated("report through util::Failure")]] ReadStatus
    loadFileChecked(const std::string &path, QString *errorString);
    /// The form of 6.2 that reported one line in *errorString, kept for programs built
    /// against it: the same as the Failure form, with failure.text() in *errorString.
    /// \deprecated Use exportL1SupportFile(const std::string &, bool, bool, Failure *) instead.
    /// \param path the file to write
    /// \param writeLevel0Name whether a non-empty level-0 image name is written
    /// \param relativeImageNames whether image file names are written relative to the folder
    /// of path
    /// \param[out] errorString receives the text on failure when given; may be null
    /// \return true when the file is written
    [[deprecated("report through util::Failure")]] bool exportL1SupportFile(const std::string &path,
                                                                            bool writeLevel0Name,
                                                                            bool relativeImageNames,
                                                                            QString *errorString);
    /// The form of 6.2 that reported one line in *errorString, kept for programs built
    /// against it: the same as the Failure form, with failure.text() in *errorString.
    /// \deprecated Use exportL2SupportFile(const std::string &, Failure *) instead.
    /// \param path the file to write
    /// \param[out] errorString receives the text on failure when given; may be null
    /// \return true when the file is written
    [[deprecated("report through util::Failure")]] bool exportL2SupportFile(const std::string &path,
                                                                            QString *errorString);

    /// The exact text that exportL1SupportFile would write to path, without touching the
    /// record or the disk (for callers that write files their own way).
    /// \param path the file the text is meant for; only its folder matters, and only with
    /// relativeImageNames
    /// \param writeLevel0Name whether a non-empty level-0 image name is written
    /// \param relativeImageNames whether image file names are written relative to the folder
    /// of path
    /// \return the text of the file
    std::string formatL1SupportFile(const std::string &path, bool writeLevel0Name,
                                    bool relativeImageNames) const;
    /// The exact text that exportL2SupportFile would write.
    /// A record with a non-zero interline distance is written as a grid: "LAT_REF", "LON_REF"
    /// and the two distances stand in place of the scales and the polynomials.
    /// \return the text of the file
    std::string formatL2SupportFile() const;

    // --- Setters -------------------------------------------------------------------------

    /// Appends an image file at a minification level. Only files whose extension (after the
    /// last dot) starts with "VYN", in any case, are taken; anything else returns false and
    /// changes nothing. Level 1 makes the file's base name (up to its last dot) the image
    /// identifier and now the image date. With readSensorFile, lines and samples are
    /// overwritten with the counts the sensor file's header holds (a file that cannot be read
    /// gives 0 and 0); otherwise they are taken as passed. The name is stored relative to
    /// baseDirectory when one is given.
    /// \param path the sensor file
    /// \param[in,out] lines the number of image lines to store; with readSensorFile, receives
    /// the sensor file's count
    /// \param[in,out] samples the number of samples per line to store; with readSensorFile,
    /// receives the sensor file's count
    /// \param level the minification level; 1 is the full-resolution image
    /// \param readSensorFile whether the counts are read from the sensor file
    /// \param baseDirectory the folder the stored name is relative to; empty to store path as
    /// given
    /// \return true when the file was appended
    bool addImage(const std::string &path, int &lines, int &samples, int level, bool readSensorFile,
                  const std::string &baseDirectory);
    /// True when every file the record refers to exists. They are the image files in list
    /// order, then the original and adjusted orientation, the original and adjusted calibration
    /// and the level-0 image name, each when not empty. Names are tested as stored (a relative name
    /// against the current folder). Stops at the first missing file; with verbose its message
    /// ("Image file: <name> dosen't exist!", ...) goes to the standard error stream.
    /// \param verbose whether the message of the first missing file is written
    /// \return true when no file is missing
    bool isValid(bool verbose) const;
    /// The message of every missing file, in the order isValid() checks them (empty when the
    /// record is valid). For checking many records at once without stopping at the first.
    /// \return the messages
    std::vector<std::string> missingFiles() const;
    /// Sets the image identifier.
    /// \param id the identifier
    void setImageID(const std::string &id);
    /// Sets the six rectification terms.
    /// \param t0 the first term
    /// \param t1 the second term
    /// \param t2 the third term
    /// \param t3 the fourth term
    /// \param t4 the fifth term
    /// \param t5 the sixth term
    void setRectificationTerms(double t0, double t1, double t2, double t3, double t4, double t5);
    /// Sets the ground bias.
    /// \param x the bias along x
    /// \param y the bias along y
    /// \param z the bias along z
    void setGroundBias(double x, double y, double z);
    /// Sets the radiometric bias.
    /// \param bias the bias
    void setBias(double bias);
    /// Sets the radiometric gain.
    /// \param gain the gain
    void setGain(double gain);
    /// Sets the ground zero and the load point to the same point.
    /// \param x the point's x
    /// \param y the point's y
    /// \param z the point's z
    void setGroundZero(double x, double y, double z);
    /// Sets the mean terrain height.
    /// \param height the height
    void setMeanTerrainHeight(double height);
    /// Sets the coordinate system code.
    /// \param code the code
    void setCoordSystem(int code);
    /// Sets the unit code.
    /// \param code the code
    void setUnit(int code);
    /// Sets the use-fast-math flag, stored as 1 or 0.
    /// \param on the flag
    void setUseFastMath(bool on);
    /// The smaller value becomes the minimum, the larger the maximum, in either order.
    /// \param a one end of the elevation range
    /// \param b the other end
    void setElevationRange(double a, double b);
    /// Sets the image motion code.
    /// \param code the code
    void setImageMotion(int code);
    /// Sets the initialized code.
    /// \param code the code
    void setInitialized(int code);
    /// Sets the status code.
    /// \param code the code
    void setStatus(int code);
    /// Sets the photo date.
    /// \param time seconds since 1970-01-01 00:00:00 UTC
    void setPhotoDate(std::int64_t time);
    /// Sets the image quality.
    /// \param quality the quality
    void setImageQuality(int quality);
    /// Sets the sensor type.
    /// \param type the type
    void setSensorType(SensorType type);
    /// Sets the anchor point.
    /// \param latitude the anchor latitude
    /// \param longitude the anchor longitude
    void setAnchorPoint(double latitude, double longitude);
    /// Sets whether the sensor lines are staggered.
    /// \param staggered the flag
    void setLineStaggered(bool staggered);
    /// Sets the view of line.
    /// \param view the view
    void setViewOfLine(ViewOfLine view);
    /// Sets the radiometric property.
    /// \param property the property
    void setRadiometricProperty(RadiometricProperty property);
    /// Sets the number of scan lines.
    /// \param lines the number
    void setNumberScanLines(int lines);
    /// Sets the sensor rotation flag.
    /// \param rotation the flag
    void setSensorRotation(bool rotation);
    /// Sets the corrections applied.
    /// \param correction the corrections
    void setCorrection(CorrectionType correction);
    /// Sets the ground sample distance of the level-0 image.
    /// \param gsd the distance
    void setL0GSD(double gsd);
    /// Sets the original orientation file.
    /// \param path the file, stored unchanged
    void setOriginalOrientation(const std::string &path);
    /// Sets the adjusted orientation file.
    /// \param path the file, stored unchanged
    void setAdjustedOrientation(const std::string &path);
    /// Stores the path with every forward slash replaced by a backslash.
    /// \param path the original calibration file
    void setOriginalCalibration(const std::string &path);
    /// Stores the path with every forward slash replaced by a backslash.
    /// \param path the adjusted calibration file
    void setAdjustedCalibration(const std::string &path);
    /// Sets the local origin.
    /// \param x the origin's x
    /// \param y the origin's y
    /// \param z the origin's z
    void setLocalOrigin(double x, double y, double z);
    /// Copies 9 values, row by row.
    /// \param basis the basis of the local frame, 3 by 3: 9 values
    void setLocalOriginBasis(const double *basis);
    /// Sets the level-0 image name.
    /// \param name the name
    void setL0ImageName(const std::string &name);
    /// Sets the rectification scale.
    /// \param scale the scale
    void setRectScale(double scale);
    /// Sets the rectification rotation.
    /// \param rotation the rotation
    void setRectRotation(double rotation);
    /// Both stored unchanged; y is in the record's convention (file value plus 1).
    /// \param x the rectification x offset
    /// \param y the rectification y offset, as getRectYOffset() returns it
    void setRectOffset(double x, double y);
    /// Sets the rectification height.
    /// \param height the height
    void setRectHeight(double height);
    /// Sets whether the rectification uses the calibration.
    /// \param use the flag
    void setRectUseCalibration(bool use);
    /// Sets the footprint.
    /// \param llSample the lower-left sample
    /// \param llLine the lower-left line
    /// \param urSample the upper-right sample
    /// \param urLine the upper-right line
    void setFootprintRange(double llSample, double llLine, double urSample, double urLine);
    /// Sets the latitude and longitude references and scales; note the order: both references,
    /// then both scales.
    /// \param latRef the latitude reference
    /// \param lonRef the longitude reference
    /// \param latScale the latitude scale
    /// \param lonScale the longitude scale
    void setLatLonReference(double latRef, double lonRef, double latScale, double lonScale);
    /// Sets the height reference and scale.
    /// \param hRef the height reference
    /// \param hScale the height scale
    void setHeightReference(double hRef, double hScale);
    /// Sets the line and sample references and scales; note the order: both references, then
    /// both scales.
    /// \param lineRef the line reference
    /// \param sampleRef the sample reference
    /// \param lineScale the line scale
    /// \param sampleScale the sample scale
    void setLSReference(double lineRef, double sampleRef, double lineScale, double sampleScale);
    /// Copies 20 line and 20 sample coefficients.
    /// \param line the 20 coefficients of the line polynomial
    /// \param sample the 20 coefficients of the sample polynomial
    void setPoly20(const double *line, const double *sample);
    /// Sets both the interline and the interpixel distance.
    /// \param size the cell size
    void setCellSize(double size);
    /// Sets the ellipsoid name.
    /// \param name the name ("NAD_83", ...)
    void setEllipsoid(const std::string &name);
    /// Sets the vertical reference code.
    /// \param code the code
    void setVerticalReference(int code);
    /// Sets the ellipsoid's semi-major axis and eccentricity.
    /// \param semiMajorAxis the semi-major axis
    /// \param eccentricity the eccentricity
    void setEllipsoidRadius(double semiMajorAxis, double eccentricity);
    /// Sets the ellipsoid centre.
    /// \param x the centre's x
    /// \param y the centre's y
    /// \param z the centre's z
    void setEllipsoidCenter(double x, double y, double z);
    /// Sets the projection type.
    /// \param type the type ("UTM_PROJECTION", "TRANSVERSE_MERCATOR_PROJECTION",
    /// "LAMBERT_CONFORMAL_PROJECTION", ...)
    void setProjectionType(const std::string &type);
    /// Sets the projection zone.
    /// \param zone the zone
    void setProjectionZone(int zone);
    /// Sets the parameters of a transverse Mercator projection.
    /// \param middleLatitude the middle latitude, in radians
    /// \param centralMeridian the central meridian, in radians
    /// \param centralScaleFactor the scale factor on the central meridian
    void setTMProjectionParams(double middleLatitude, double centralMeridian,
                               double centralScaleFactor);
    /// Sets the parameters of a Lambert conformal conic projection.
    /// \param standardParallel1 the first standard parallel, in radians
    /// \param standardParallel2 the second standard parallel, in radians
    /// \param originLatitude the latitude of the origin, in radians
    /// \param originLongitude the longitude of the origin, in radians
    void setLCCProjectionParams(double standardParallel1, double standardParallel2,
                                double originLatitude, double originLongitude);
    /// Same fields as setLCCProjectionParams.
    /// \param standardParallel1 the first standard parallel, in radians
    /// \param standardParallel2 the second standard parallel, in radians
    /// \param originLatitude the latitude of the origin, in radians
    /// \param originLongitude the longitude of the origin, in radians
    void setAlbersProjectionParams(double standardParallel1, double standardParallel2,
                                   double originLatitude, double originLongitude);
    /// Sets the origin longitude only.
    /// \param originLongitude the longitude of the origin, in radians
    void setWebMercatorProjectionParams(double originLongitude);
    /// Sets the false northings and eastings.
    /// \param northingPos the false northing of the positive hemisphere
    /// \param northingNeg the false northing of the negative hemisphere
    /// \param eastingPos the positive false easting
    /// \param eastingNeg the negative false easting
    void setProjectionOriginOffset(double northingPos, double northingNeg, double eastingPos,
                                   double eastingNeg);
    /// Sets the grid name.
    /// \param name the name ("UTM_11N", ...)
    void setGridName(const std::string &name);

    // --- Getters: one per field, in field order -------------------------------------------

    /// The word that follows the file's first keyword, "SUPPORT_FILE".
    /// \return the tag; "d" in a new record
    const std::string &getSupportFileTag() const { return m_supportFileTag; }
    /// The image identifier ("IMAGE_ID").
    /// \return the identifier
    const std::string &getImageID() const { return m_imageID; }
    /// The image files, one entry per "IMAGE_FILE_NAME" block or addImage().
    /// \return the list, in the order the entries were appended
    const std::vector<ImageMinification> &getImageMinifications() const
    {
        return m_imageMinifications;
    }
    /// The rectification terms t0 to t5 ("RECTIFICATION_TERMS").
    /// \return the terms; 0, 0, 1, 0, 1, 0 in a new record
    const std::array<double, 6> &getRectificationTerms() const { return m_rectificationTerms; }
    /// The ground bias ("GRND_BIAS").
    /// \return x, y, z
    const Vector3 &getGroundBias() const { return m_groundBias; }
    /// The radiometric bias ("BIAS").
    /// \return the bias
    double getBias() const { return m_bias; }
    /// The radiometric gain ("GAIN").
    /// \return the gain; 1 in a new record
    double getGain() const { return m_gain; }
    /// The ground zero ("GROUND_ZERO").
    /// \return x, y, z
    const Vector3 &getGroundZero() const { return m_groundZero; }
    /// The load point ("LOAD_PT").
    /// \return x, y, z
    const Vector3 &getLoadPoint() const { return m_loadPoint; }
    /// The coordinate system code ("COORD_SYSTEM").
    /// \return the code
    int getCoordSystem() const { return m_coordSystem; }
    /// The unit code ("UNITS").
    /// \return the code; 1 in a new record
    int getUnit() const { return m_unit; }
    /// The use-fast-math flag ("USE_FAST_MATH").
    /// \return 1 or 0 as setUseFastMath() stores it, or the integer a file holds
    int getUseFastMath() const { return m_useFastMath; }
    /// The maximum elevation (the second number of "MAX_AND_MIN_ELEVATION").
    /// \return the elevation
    double getMaxElevation() const { return m_maxElevation; }
    /// The minimum elevation (the first number of "MAX_AND_MIN_ELEVATION").
    /// \return the elevation
    double getMinElevation() const { return m_minElevation; }
    /// The image motion code ("IMAGE_MOTION").
    /// \return the code
    int getImageMotion() const { return m_imageMotion; }
    /// The initialized code ("INITIALIZED").
    /// \return the code; 2 in a new record
    int getInitialized() const { return m_initialized; }
    /// The status code ("STATUS").
    /// \return the code
    int getStatus() const { return m_status; }
    /// The photo date ("PHOTO_DATE").
    /// \return seconds since 1970-01-01 00:00:00 UTC; the time of construction in a new record
    std::int64_t getPhotoDate() const { return m_photoDate; }
    /// The image quality ("QUALITY").
    /// \return the quality
    int getQuality() const { return m_quality; }
    /// The sensor type ("SENSOR_TYPE").
    /// \return the type; VYN in a new record
    SensorType getSensorType() const { return m_sensorType; }
    /// The image level ("IMAGE_LEVEL"): the one the last load detected or the last export
    /// wrote.
    /// \return 0, 1 or 2, or an unsupported level a file names; 0 in a new record
    int getImageLevel() const { return m_imageLevel; }
    /// The mean terrain height ("MEAN_TERRAIN_HEIGHT").
    /// \return the height
    double getMeanTerrainHeight() const { return m_meanTerrainHeight; }
    /// The anchor latitude ("ANCHOR_LATITUDE").
    /// \return the latitude
    double getAnchorLatitude() const { return m_anchorLatitude; }
    /// The anchor longitude ("ANCHOR_LONGITUDE").
    /// \return the longitude
    double getAnchorLongitude() const { return m_anchorLongitude; }
    /// Whether the sensor lines are staggered ("LINE_STAGGERED").
    /// \return the flag
    bool getLineStaggered() const { return m_lineStaggered; }
    /// The view of line ("VIEW_OF_LINE").
    /// \return the view; NADIR in a new record
    ViewOfLine getViewOfLine() const { return m_viewOfLine; }
    /// The radiometric property ("RADIOMETRIC_PROPERTY").
    /// \return the property; PANCHROMATIC in a new record
    RadiometricProperty getRadiometricProperty() const { return m_radiometricProperty; }
    /// The image date ("IMAGE_DATE").
    /// \return seconds since 1970-01-01 00:00:00 UTC; the time of construction in a new record
    std::int64_t getImageDate() const { return m_imageDate; }
    /// The number of scan lines ("NUMBER_SCAN_LINES").
    /// \return the number
    int getNumberScanLines() const { return m_numberScanLines; }
    /// The sensor rotation flag ("SENSOR_ROTATION").
    /// \return the flag
    bool getSensorRotation() const { return m_sensorRotation; }
    /// The corrections applied ("CORRECTION").
    /// \return the corrections; NO_CORRECTION in a new record
    CorrectionType getCorrection() const { return m_correction; }
    /// The ground sample distance of the level-0 image ("LEVEL_0_GSD").
    /// \return the distance
    double getL0GSD() const { return m_l0GSD; }
    /// The original orientation file ("ORIGINAL_ORIENTATION").
    /// \return the path; empty when there is none
    const std::string &getOriginalOdfFile() const { return m_originalOrientation; }
    /// The adjusted orientation file ("ADJUSTED_ORIENTATION").
    /// \return the path; empty when there is none
    const std::string &getAdjustedOdfFile() const { return m_adjustedOrientation; }
    /// The original calibration file ("ORIGINAL_CALIBRATION").
    /// \return the path; empty when there is none
    const std::string &getOriginalCalibration() const { return m_originalCalibration; }
    /// The adjusted calibration file ("ADJUSTED_CALIBRATION").
    /// \return the path; empty when there is none
    const std::string &getAdjustedCalibration() const { return m_adjustedCalibration; }
    /// The local origin ("LOCAL_ORIGIN").
    /// \return x, y, z
    const Vector3 &getLocalOrigin() const { return m_localOrigin; }
    /// The basis of the local frame, 3 by 3, row by row ("BASIS").
    /// \return the 9 values
    const std::array<double, 9> &getLocalOriginBasis() const { return m_localOriginBasis; }
    /// The level-0 image name ("LEVEL_0_NAME").
    /// \return the name; a completed load leaves the support file's own path here, not the name
    /// the file holds
    const std::string &getL0ImageName() const { return m_l0ImageName; }
    /// The rectification scale ("RECT_SCALE").
    /// \return the scale; 1 in a new record
    double getRectScale() const { return m_rectScale; }
    /// The rectification rotation ("RECT_ROTATION").
    /// \return the rotation
    double getRectRotation() const { return m_rectRotation; }
    /// The rectification x offset ("RECT_XOFFSET").
    /// \return the offset
    double getRectXOffset() const { return m_rectXOffset; }
    /// The rectification y offset ("RECT_YOFFSET") in the record's convention: the file value
    /// plus 1.
    /// \return the offset
    double getRectYOffset() const { return m_rectYOffset; }
    /// The rectification height ("RECT_HEIGHT").
    /// \return the height
    double getRectHeight() const { return m_rectHeight; }
    /// Whether the rectification uses the calibration ("RECT_USE_CALIBRATION").
    /// \return the flag
    bool getRectUseCalibration() const { return m_rectUseCalibration; }
    /// The footprint ("FOOTPRINT_LL_SAMPLE", "FOOTPRINT_LL_LINE", "FOOTPRINT_UR_SAMPLE",
    /// "FOOTPRINT_UR_LINE").
    /// \return lower-left sample, lower-left line, upper-right sample, upper-right line
    const std::array<double, 4> &getFootprintRange() const { return m_footprintRange; }
    /// The latitude reference ("LAT_REF").
    /// \return the reference
    double getLatRef() const { return m_latRef; }
    /// The latitude scale ("LAT_SCALE").
    /// \return the scale; 1 in a new record
    double getLatScale() const { return m_latScale; }
    /// The longitude reference ("LON_REF").
    /// \return the reference
    double getLonRef() const { return m_lonRef; }
    /// The longitude scale ("LON_SCALE").
    /// \return the scale; 1 in a new record
    double getLonScale() const { return m_lonScale; }
    /// The height reference ("H_REF").
    /// \return the reference
    double getHeightRef() const { return m_heightRef; }
    /// The height scale ("H_SCALE").
    /// \return the scale; 1 in a new record
    double getHeightScale() const { return m_heightScale; }
    /// The line reference ("L_REF").
    /// \return the reference
    double getLineRef() const { return m_lineRef; }
    /// The line scale ("L_SCALE").
    /// \return the scale; 1 in a new record
    double getLineScale() const { return m_lineScale; }
    /// The sample reference ("S_REF").
    /// \return the reference
    double getSampleRef() const { return m_sampleRef; }
    /// The sample scale ("S_SCALE").
    /// \return the scale; 1 in a new record
    double getSampleScale() const { return m_sampleScale; }
    /// The 20 coefficients of the line polynomial ("POLY20_LINE").
    /// \return the coefficients; in a new record all 0 but the seventh, -1
    const std::array<double, 20> &getPoly20Line() const { return m_poly20Line; }
    /// The 20 coefficients of the sample polynomial ("POLY20_SAMP").
    /// \return the coefficients; in a new record all 0 but the fourth, 1
    const std::array<double, 20> &getPoly20Sample() const { return m_poly20Sample; }
    /// The interline distance ("INTERLINE_DIST").
    /// \return the distance
    double getInterlineDistance() const { return m_interlineDistance; }
    /// The interpixel distance ("INTERPIXEL_DIST").
    /// \return the distance
    double getInterpixelDistance() const { return m_interpixelDistance; }
    /// The ellipsoid name ("ELLIPSOID").
    /// \return the name; "NAD_83" in a new record
    const std::string &getEllipsoid() const { return m_ellipsoid; }
    /// The vertical reference code ("VERTICAL_REFERENCE").
    /// \return the code
    int getVerticalReference() const { return m_verticalReference; }
    /// The ellipsoid's semi-major axis ("A_EARTH").
    /// \return the axis; 6378127.0 in a new record
    double getEllipsoidSemiMajorAxis() const { return m_ellipsoidSemiMajorAxis; }
    /// The ellipsoid's eccentricity ("E_EARTH").
    /// \return the eccentricity; 0.081819191272036 in a new record
    double getEllipsoidEccentricity() const { return m_ellipsoidEccentricity; }
    /// The ellipsoid centre ("ELLIPSOID_CENTER").
    /// \return x, y, z
    const Vector3 &getEllipsoidCenter() const { return m_ellipsoidCenter; }
    /// The projection type ("PROJECTION_TYPE").
    /// \return the type; "UTM_PROJECTION" in a new record
    const std::string &getProjectionType() const { return m_projectionType; }
    /// The projection zone ("ZONE").
    /// \return the zone; 11 in a new record
    int getProjectionZone() const { return m_projectionZone; }
    /// The middle latitude of a transverse Mercator projection ("MIDDLE_LATITUDE").
    /// \return the latitude, in radians
    double getMiddleLatitude() const { return m_middleLatitude; }
    /// The central meridian of a transverse Mercator projection ("CENTRAL_MERIDIAN").
    /// \return the meridian, in radians; -67.5 degrees in a new record
    double getCentralMeridian() const { return m_centralMeridian; }
    /// The scale factor on the central meridian ("CENTRAL_SCALE_FACTOR").
    /// \return the factor; 0.9999 in a new record
    double getCentralScaleFactor() const { return m_centralScaleFactor; }
    /// The first standard parallel of a conic projection ("STANDARD_PARALLEL1").
    /// \return the parallel, in radians; 0 in a new record
    double getStandardParallel1() const { return m_standardParallel1; }
    /// The second standard parallel of a conic projection ("STANDARD_PARALLEL2").
    /// \return the parallel, in radians; 0 in a new record
    double getStandardParallel2() const { return m_standardParallel2; }
    /// The latitude of the projection's origin ("ORIGIN_LATITUDE").
    /// \return the latitude, in radians; 0 in a new record
    double getOriginLatitude() const { return m_originLatitude; }
    /// The longitude of the projection's origin ("ORIGIN_LONGITUDE").
    /// \return the longitude, in radians; 0 in a new record
    double getOriginLongitude() const { return m_originLongitude; }
    /// The false northing of the positive hemisphere ("FALSE_NORTHING_POS").
    /// \return the northing
    double getFalseNorthingPos() const { return m_falseNorthingPos; }
    /// The false northing of the negative hemisphere ("FALSE_NORTHING_NEG").
    /// \return the northing
    double getFalseNorthingNeg() const { return m_falseNorthingNeg; }
    /// The positive false easting ("FALSE_EASTING_POS").
    /// \return the easting; 500000 in a new record
    double getFalseEastingPos() const { return m_falseEastingPos; }
    /// The negative false easting ("FALSE_EASTING_NEG").
    /// \return the easting; 500000 in a new record
    double getFalseEastingNeg() const { return m_falseEastingNeg; }
    /// The grid name ("GRID_NAME").
    /// \return the name; "UTM_11N" in a new record
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
