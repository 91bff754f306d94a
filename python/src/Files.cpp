// Files, INI merging, XML checks, GPS and LAS time.

#include "Common.h"

#include "util/config/IniTool.h"
#include "util/files/FileOps.h"
#include "util/processing/GpsTime.h"
#include "util/xml/XmlCompare.h"
#include "util/xml/XmlValidator.h"

#include <QFile>

#include <stdexcept>

namespace pyquor {
namespace {

void copyFile(const py::object &src, const py::object &dst, const py::object &progress)
{
    const std::string from = fsPath(src), to = fsPath(dst);
    Reporter reporter(progress);
    util::Failure failure;
    bool ok = false;
    try {
        py::gil_scoped_release nogil;
        ok = util::copyFile(from, to, &reporter, &failure);
    } catch (const Interrupted &) {
    }
    reporter.rethrow();
    if (!ok)
        raiseFailure(failure);
}

void removeTree(const py::object &path)
{
    const std::string local = fsPath(path);
    util::Failure failure;
    bool ok;
    {
        py::gil_scoped_release nogil;
        ok = util::removeDir(local, &failure);
    }
    if (!ok)
        raiseFailure(failure);
}

} // namespace

void bindFiles(py::module_ &m)
{
    m.def("copy_file", &copyFile, py::arg("src"), py::arg("dst"), py::arg("progress") = py::none(),
          R"(Copies src to dst by the library's rule for replacing files: dst keeps its old
content unless the copy completes. progress is called with the fraction done. Releases the
GIL; Ctrl+C or an exception in progress stops the copy.)");
    m.def("remove_tree", &removeTree, py::arg("path"),
          R"(Deletes the directory tree at path without following links. OSError with errno
and the entry that could not be deleted (ENOENT when nothing is there, ENOTDIR for a file,
EINVAL for a refused path such as "/" or "..").)");
    m.def(
        "merge_ini",
        [](const py::object &source, const py::object &destination) {
            const std::string from = fsPath(source), to = fsPath(destination);
            try {
                py::gil_scoped_release nogil;
                util::IniTool::mergeIniFiles(from, to);
            } catch (const std::runtime_error &e) {
                checkReadable(QFile::decodeName(QByteArray::fromStdString(from)));
                checkReadable(QFile::decodeName(QByteArray::fromStdString(to)));
                throw py::value_error(e.what());
            }
        },
        py::arg("source"), py::arg("destination"),
        "Adds the keys and sections of source that destination lacks to destination.");
    m.def(
        "validate_xml",
        [](const py::object &path, const py::object &schema, const py::object &schemaDir) {
            const QString file = qPath(path);
            const QString name = qPath(schema);
            util::Failure failure;
            bool valid;
            try {
                const util::XmlValidator validator = schemaDir.is_none()
                    ? util::XmlValidator(name)
                    : util::XmlValidator(name, qPath(schemaDir));
                py::gil_scoped_release nogil;
                valid = validator.validate(file, &failure);
            } catch (const std::runtime_error &e) {
                throw py::value_error(e.what());
            }
            // An invalid document is an answer; a file that cannot be read is not.
            if (!valid && failure.error != 0)
                raiseFailure(failure);
            return valid;
        },
        py::arg("path"), py::arg("schema"), py::arg("schema_dir") = py::none(),
        R"(Whether the XML file at path is valid against the schema (a file name in schema_dir,
by default the installation's etc/schemas). ValueError when the schema cannot be loaded.)");
    m.def(
        "compare_xml",
        [](const py::object &a, const py::object &b) {
            const QString fa = qPath(a), fb = qPath(b);
            py::gil_scoped_release nogil;
            return util::compareXMLfiles(fa, fb);
        },
        py::arg("a"), py::arg("b"),
        "Whether the two XML files' root elements are equal (attribute and sibling order aside).");
    m.def(
        "las_adjusted_time",
        [](std::int64_t t) {
            if (t < INT64_MIN / 2 || t > INT64_MAX / 2)
                throw py::value_error("time out of range");
            return util::absoluteGPSTimeOffsetForLas(t);
        },
        py::arg("seconds"),
        R"(The LAS files' adjusted standard GPS time of a time in seconds since 1999-08-22
(the library's GPS weeks): seconds since 1980-01-06 less one thousand million.)");
}

} // namespace pyquor
