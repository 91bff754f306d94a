// Support files, world files and link files.

#include "Common.h"

#include "util/support/LikFile.h"
#include "util/support/SupportFile.h"
#include "util/support/WorldFile.h"

#include <pybind11/stl.h>

#include <QFile>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

namespace pyquor {
namespace {

using util::SupportFile;

py::object text(const std::string &value)
{
    // Support files are 8-bit text: bytes that are no UTF-8 survive as surrogates.
    PyObject *s = PyUnicode_DecodeUTF8(value.data(), Py_ssize_t(value.size()), "surrogateescape");
    if (!s)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(s);
}

py::object imageList(const SupportFile &record)
{
    py::list images;
    for (const SupportFile::ImageMinification &m : record.getImageMinifications()) {
        py::dict entry;
        entry["level"] = m.level;
        entry["file_name"] = text(m.fileName);
        entry["lines"] = m.lines;
        entry["samples"] = m.samples;
        images.append(entry);
    }
    return std::move(images);
}

py::object value(const SupportFile &record, SupportFile::ValueKind kind, const std::string &v)
{
    static const py::handle datetime = py::module_::import("datetime").release();
    switch (kind) {
    case SupportFile::ValueKind::Integer:
        return py::int_(py::str(v));
    case SupportFile::ValueKind::Flag:
        return py::bool_(v == "TRUE");
    case SupportFile::ValueKind::Date:
        try {
            return datetime.attr("datetime")
                .attr("fromtimestamp")(py::int_(py::str(v)), datetime.attr("timezone").attr("utc"));
        } catch (py::error_already_set &) {
            return py::int_(py::str(v)); // beyond datetime's years: the seconds themselves
        }
    case SupportFile::ValueKind::Numbers: {
        static const py::handle toFloat =
            py::object(py::module_::import("builtins").attr("float")).release();
        const py::list words = py::str(v).attr("split")();
        if (words.size() == 1)
            return toFloat(words[0]);
        py::list numbers;
        for (const py::handle &w : words)
            numbers.append(toFloat(w));
        return py::tuple(numbers);
    }
    case SupportFile::ValueKind::ImageFiles:
        return imageList(record);
    case SupportFile::ValueKind::Text:
        break;
    }
    return text(v);
}

// Property names: the file's keywords in lower case, in the record's order.
std::vector<std::string> keywordNames()
{
    std::vector<std::string> names;
    SupportFile().forEachKeyword(
        [&](const char *keyword, unsigned, SupportFile::ValueKind, const std::string &) {
            std::string name(keyword);
            for (char &c : name)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            names.push_back(name);
        });
    return names;
}

py::object field(const SupportFile &record, const std::string &name)
{
    py::object result = py::none();
    record.forEachKeyword(
        [&](const char *keyword, unsigned, SupportFile::ValueKind kind, const std::string &v) {
            if (result.is_none() && qstricmp(keyword, name.c_str()) == 0)
                result = value(record, kind, v);
        });
    return result;
}

using Setter = std::function<void(SupportFile &, const py::handle &)>;

std::string textValue(const py::handle &v)
{
    if (!py::isinstance<py::str>(v))
        throw py::type_error("a str is needed");
    return v.cast<std::string>();
}

template<std::size_t N> std::array<double, N> numbers(const py::handle &v)
{
    if (py::isinstance<py::str>(v) || py::isinstance<py::bytes>(v))
        throw py::type_error("a sequence of numbers is needed");
    const std::vector<double> values = v.cast<std::vector<double>>();
    if (values.size() != N)
        throw py::value_error(std::to_string(N) + " numbers are needed");
    std::array<double, N> out {};
    std::copy(values.begin(), values.end(), out.begin());
    return out;
}

std::int64_t seconds(const py::handle &v)
{
    if (py::hasattr(v, "timestamp"))
        return py::int_(v.attr("timestamp")()).cast<std::int64_t>();
    return v.cast<std::int64_t>();
}

// The enumeration value whose file word is v.
template<typename E> E word(const py::handle &v, int count)
{
    const std::string w = textValue(v);
    for (int i = 0; i < count; ++i)
        if (w == SupportFile::keyword(static_cast<E>(i)))
            return static_cast<E>(i);
    throw py::value_error("not a word of this field: " + w);
}

// The fields that can be set from Python, by property name: the record's setters.
const std::map<std::string, Setter> &setters()
{
    using S = SupportFile;
    static const std::map<std::string, Setter> table = {
        {"image_id", [](S &r, const py::handle &v) { r.setImageID(textValue(v)); }},
        {"bias", [](S &r, const py::handle &v) { r.setBias(v.cast<double>()); }},
        {"gain", [](S &r, const py::handle &v) { r.setGain(v.cast<double>()); }},
        {"coord_system", [](S &r, const py::handle &v) { r.setCoordSystem(v.cast<int>()); }},
        {"units", [](S &r, const py::handle &v) { r.setUnit(v.cast<int>()); }},
        {"use_fast_math", [](S &r, const py::handle &v) { r.setUseFastMath(v.cast<bool>()); }},
        {"image_motion", [](S &r, const py::handle &v) { r.setImageMotion(v.cast<int>()); }},
        {"initialized", [](S &r, const py::handle &v) { r.setInitialized(v.cast<int>()); }},
        {"status", [](S &r, const py::handle &v) { r.setStatus(v.cast<int>()); }},
        {"quality", [](S &r, const py::handle &v) { r.setImageQuality(v.cast<int>()); }},
        {"photo_date", [](S &r, const py::handle &v) { r.setPhotoDate(seconds(v)); }},
        {"mean_terrain_height",
         [](S &r, const py::handle &v) { r.setMeanTerrainHeight(v.cast<double>()); }},
        {"line_staggered", [](S &r, const py::handle &v) { r.setLineStaggered(v.cast<bool>()); }},
        {"number_scan_lines",
         [](S &r, const py::handle &v) { r.setNumberScanLines(v.cast<int>()); }},
        {"sensor_rotation", [](S &r, const py::handle &v) { r.setSensorRotation(v.cast<bool>()); }},
        {"level_0_gsd", [](S &r, const py::handle &v) { r.setL0GSD(v.cast<double>()); }},
        {"original_orientation",
         [](S &r, const py::handle &v) { r.setOriginalOrientation(textValue(v)); }},
        {"adjusted_orientation",
         [](S &r, const py::handle &v) { r.setAdjustedOrientation(textValue(v)); }},
        {"original_calibration",
         [](S &r, const py::handle &v) { r.setOriginalCalibration(textValue(v)); }},
        {"adjusted_calibration",
         [](S &r, const py::handle &v) { r.setAdjustedCalibration(textValue(v)); }},
        {"level_0_name", [](S &r, const py::handle &v) { r.setL0ImageName(textValue(v)); }},
        {"rect_scale", [](S &r, const py::handle &v) { r.setRectScale(v.cast<double>()); }},
        {"rect_rotation", [](S &r, const py::handle &v) { r.setRectRotation(v.cast<double>()); }},
        {"rect_height", [](S &r, const py::handle &v) { r.setRectHeight(v.cast<double>()); }},
        {"rect_use_calibration",
         [](S &r, const py::handle &v) { r.setRectUseCalibration(v.cast<bool>()); }},
        {"ellipsoid", [](S &r, const py::handle &v) { r.setEllipsoid(textValue(v)); }},
        {"vertical_reference",
         [](S &r, const py::handle &v) { r.setVerticalReference(v.cast<int>()); }},
        {"projection_type", [](S &r, const py::handle &v) { r.setProjectionType(textValue(v)); }},
        {"zone", [](S &r, const py::handle &v) { r.setProjectionZone(v.cast<int>()); }},
        {"grid_name", [](S &r, const py::handle &v) { r.setGridName(textValue(v)); }},
        {"rectification_terms",
         [](S &r, const py::handle &v) {
             const auto t = numbers<6>(v);
             r.setRectificationTerms(t[0], t[1], t[2], t[3], t[4], t[5]);
         }},
        {"grnd_bias",
         [](S &r, const py::handle &v) {
             const auto t = numbers<3>(v);
             r.setGroundBias(t[0], t[1], t[2]);
         }},
        {"ground_zero",
         [](S &r, const py::handle &v) {
             const auto t = numbers<3>(v);
             r.setGroundZero(t[0], t[1], t[2]);
         }},
        {"local_origin",
         [](S &r, const py::handle &v) {
             const auto t = numbers<3>(v);
             r.setLocalOrigin(t[0], t[1], t[2]);
         }},
        {"ellipsoid_center",
         [](S &r, const py::handle &v) {
             const auto t = numbers<3>(v);
             r.setEllipsoidCenter(t[0], t[1], t[2]);
         }},
        {"max_and_min_elevation",
         [](S &r, const py::handle &v) {
             const auto t = numbers<2>(v);
             r.setElevationRange(t[0], t[1]);
         }},
        {"sensor_type",
         [](S &r, const py::handle &v) { r.setSensorType(word<S::SensorType>(v, 3)); }},
        {"view_of_line",
         [](S &r, const py::handle &v) { r.setViewOfLine(word<S::ViewOfLine>(v, 4)); }},
        {"radiometric_property",
         [](S &r, const py::handle &v) {
             r.setRadiometricProperty(word<S::RadiometricProperty>(v, 7));
         }},
        {"correction",
         [](S &r, const py::handle &v) { r.setCorrection(word<S::CorrectionType>(v, 4)); }},
    };
    return table;
}

py::dict toDict(const SupportFile &record)
{
    py::dict d;
    record.forEachKeyword(
        [&](const char *keyword, unsigned, SupportFile::ValueKind kind, const std::string &v) {
            std::string name(keyword);
            for (char &c : name)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            d[py::str(name)] = value(record, kind, v);
        });
    return d;
}

SupportFile readSupportFile(const py::object &path, bool strict)
{
    const std::string local = fsPath(path);
    SupportFile record;
    util::Failure failure;
    SupportFile::ReadStatus status;
    {
        py::gil_scoped_release nogil;
        status = record.loadFileChecked(local, &failure);
    }
    if (status == SupportFile::ReadStatus::Unreadable
        || (status == SupportFile::ReadStatus::Damaged && strict))
        raiseFailure(failure);
    return record;
}

void writeSupportFile(SupportFile &record, const py::object &path, int level, bool level0Name,
                      bool relativeNames)
{
    if (level != 1 && level != 2)
        throw py::value_error("level must be 1 or 2");
    const std::string local = fsPath(path);
    util::Failure failure;
    bool ok;
    {
        py::gil_scoped_release nogil;
        ok = level == 1 ? record.exportL1SupportFile(local, level0Name, relativeNames, &failure)
                        : record.exportL2SupportFile(local, &failure);
    }
    if (!ok)
        raiseFailure(failure);
}

std::vector<std::string> missingPaths(const SupportFile &record)
{
    // The files isValid() looks for, in its order, as stored.
    std::vector<std::string> names;
    for (const SupportFile::ImageMinification &m : record.getImageMinifications())
        names.push_back(m.fileName);
    for (const std::string *s : {&record.getOriginalOdfFile(), &record.getAdjustedOdfFile(),
                                 &record.getOriginalCalibration(), &record.getAdjustedCalibration(),
                                 &record.getL0ImageName()})
        if (!s->empty())
            names.push_back(*s);
    std::vector<std::string> missing;
    for (const std::string &name : names)
        if (!QFile::exists(QString::fromStdString(name)))
            missing.push_back(name);
    return missing;
}

// GDAL's geotransform from the world file's six numbers: the world file places pixel centres,
// GDAL the upper-left corner of the upper-left pixel.
std::array<double, 6> geotransform(const util::WorldFile &w)
{
    const double a = w.cellSizeX(), d = w.rotY(), b = w.rotX(), e = -w.cellSizeY();
    return {w.topLeftX() - a / 2 - b / 2, a, b, w.topLeftY() - d / 2 - e / 2, d, e};
}

util::WorldFile readWorldFile(const py::object &path)
{
    const std::string local = fsPath(path);
    util::WorldFile w(0, 0, 0, 0);
    util::Failure failure;
    bool ok;
    {
        py::gil_scoped_release nogil;
        ok = w.read(local, &failure);
    }
    if (!ok)
        raiseFailure(failure);
    return w;
}

} // namespace

void bindSupport(py::module_ &m)
{
    py::class_<SupportFile> sup(m, "SupportFile", R"(The record of one image support file.

Every keyword of the file is a property named in lower case (``image_id``,
``rect_scale``, ...): integers, floats, tuples of floats for keywords with several
numbers, booleans for flags, aware UTC datetimes for dates, and ``image_file_name`` as a
list of dicts (level, file_name, lines, samples). The record's setters stand behind the
properties that can be set (image_id, bias, gain, rect_scale, grid_name, photo_date as a
datetime or Unix seconds, the enumerations as their file words, ...).)");
    sup.def(py::init<>(), "A new record with every field at its default.");
    sup.def_static("read", &readSupportFile, py::arg("path"), py::arg("strict") = true,
                   R"(Reads the support file at path.

Raises OSError (errno, filename) when it cannot be read; with strict (the default)
ValueError naming the file and line when it is no sound support file.)");
    sup.def("write", &writeSupportFile, py::arg("path"), py::arg("level") = 2,
            py::arg("level0_name") = false, py::arg("relative_names") = false,
            R"(Writes the record as a level-1 or level-2 support file, replacing path whole
or not at all. level0_name and relative_names apply to level 1.)");
    sup.def("to_dict", &toDict, "Every keyword (lower case) with its value, in file order.");
    sup.def("missing_files", &missingPaths,
            "The files the record names that do not exist, in the order they are checked.");
    sup.def_property_readonly(
        "level", [](const SupportFile &r) { return r.getImageLevel(); }, "The image level.");
    for (const std::string &name : keywordNames()) {
        if (name == "image_level")
            continue; // `level` above
        const auto setter = setters().find(name);
        if (setter == setters().end()) {
            sup.def_property_readonly(
                name.c_str(), [name](const SupportFile &r) { return field(r, name); },
                ("The " + name + " field of the record.").c_str());
        } else {
            const Setter set = setter->second;
            sup.def_property(
                name.c_str(), [name](const SupportFile &r) { return field(r, name); },
                [set](SupportFile &r, const py::handle &v) { set(r, v); },
                ("The " + name + " field of the record (settable).").c_str());
        }
    }
    sup.def("__repr__", [](const SupportFile &r) {
        return "<SupportFile level " + std::to_string(r.getImageLevel()) + " " + r.getImageID()
            + ">";
    });

    m.def(
        "check_support_file",
        [](const py::object &path) { return missingPaths(readSupportFile(path, false)); },
        py::arg("path"),
        R"(The paths that the support file at path names and that do not exist (empty when
all are there). Relative names are taken against the current folder.)");

    py::class_<util::WorldFile> wf(m, "WorldFile",
                                   R"(The six numbers of a world file (.tfw), which place a raster.

cell_size_y is positive for a north-up grid (the file holds it negated).)");
    wf.def(py::init<double, double, double, double>(), py::arg("top_left_x"), py::arg("top_left_y"),
           py::arg("cell_size_x"), py::arg("cell_size_y"),
           "A north-up grid whose upper-left pixel centre is at (top_left_x, top_left_y).");
    wf.def_static("read", &readWorldFile, py::arg("path"),
                  "Reads a world file; OSError when it cannot be read, ValueError when it does "
                  "not hold six numbers.");
    wf.def(
        "write",
        [](const util::WorldFile &w, const py::object &path, unsigned coordinatePrecision,
           unsigned cellSizePrecision) {
            const std::string local = fsPath(path);
            util::Failure failure;
            bool ok;
            {
                py::gil_scoped_release nogil;
                ok = w.saveAs(local, coordinatePrecision, cellSizePrecision, &failure);
            }
            if (!ok)
                raiseFailure(failure);
        },
        py::arg("path"), py::arg("coordinate_precision") = 10, py::arg("cell_size_precision") = 10,
        "Writes the six lines, replacing path whole or not at all.");
    wf.def("minify", &util::WorldFile::minify, py::arg("factor"),
           "Rescales the grid so one new pixel covers factor x factor old ones.");
    wf.def("offset", &util::WorldFile::applyOffset, py::arg("dx"), py::arg("dy"),
           "Moves the grid by dx, dy map units.");
    wf.def_property_readonly("top_left_x", &util::WorldFile::topLeftX,
                             "Map x of the upper-left pixel's centre.");
    wf.def_property_readonly("top_left_y", &util::WorldFile::topLeftY,
                             "Map y of the upper-left pixel's centre.");
    wf.def_property_readonly("cell_size_x", &util::WorldFile::cellSizeX, "Cell width.");
    wf.def_property_readonly("cell_size_y", &util::WorldFile::cellSizeY,
                             "Cell height, positive for a north-up grid.");
    wf.def_property_readonly("rot_x", &util::WorldFile::rotX, "Rotation term x (third line).");
    wf.def_property_readonly("rot_y", &util::WorldFile::rotY, "Rotation term y (second line).");
    wf.def_property_readonly(
        "gdal_geotransform",
        [](const util::WorldFile &w) { return py::tuple(py::cast(geotransform(w))); },
        "GDAL's six numbers (corner-based): rasterio.Affine.from_gdal(*wf.gdal_geotransform).");
    wf.def("__repr__", [](const util::WorldFile &w) {
        return py::str("<WorldFile x={} y={} cell=({}, {})>")
            .format(w.topLeftX(), w.topLeftY(), w.cellSizeX(), w.cellSizeY());
    });

    py::class_<util::LikFile> lik(m, "LinkFile",
                                  R"(An image link file (.lik): a small XML file that stands in
place of an image and names where the image is.)");
    lik.def(py::init([](const py::object &image, const py::object &link) {
                return util::LikFile(fsPath(image), fsPath(link));
            }),
            py::arg("image_path"), py::arg("link_path"),
            "A link at link_path to image_path (nothing is written yet).");
    lik.def_static(
        "read",
        [](const py::object &path) {
            util::LikFile link;
            link.likFilePath(fsPath(path));
            util::Failure failure;
            if (!link.read(&failure))
                raiseFailure(failure);
            return link;
        },
        py::arg("path"), "Reads the link file at path; OSError or ValueError on failure.");
    lik.def(
        "write",
        [](util::LikFile &l) {
            util::Failure failure;
            if (!l.write(&failure))
                raiseFailure(failure);
        },
        "Writes the link file at link_path, replacing it whole or not at all.");
    lik.def_property(
        "image_path", [](const util::LikFile &l) { return pyPath(l.imgFilePath()); },
        [](util::LikFile &l, const py::object &p) { l.imgFilePath(fsPath(p)); },
        "The image the link points to.");
    lik.def_property(
        "link_path", [](const util::LikFile &l) { return pyPath(l.likFilePath()); },
        [](util::LikFile &l, const py::object &p) { l.likFilePath(fsPath(p)); },
        "Where the link file is.");
    lik.def("image_exists", &util::LikFile::existsImage, "Whether the image exists.");
    lik.def("link_exists", &util::LikFile::existsLik, "Whether the link file exists.");
    lik.def_static(
        "link_path_for",
        [](const py::object &p) {
            return pyPath(util::LikFile::computeLikFilePathFromGivenPath(fsPath(p)));
        },
        py::arg("path"), "<absolute folder of path>/<name up to its last dot>.lik");
    lik.def("__repr__", [](const util::LikFile &l) {
        return "<LinkFile " + l.likFilePath() + " -> " + l.imgFilePath() + ">";
    });
}

} // namespace pyquor
