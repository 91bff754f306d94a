// The compiled part of the Python package quorutil; quorutil/__init__.py adds what is plain
// Python (GPS datetimes, the installation root).

#include "Common.h"

#include "util/config/QuorEnvironment.h"

#include <QCoreApplication>

PYBIND11_MODULE(_quorutil, m)
{
    m.doc() = "Bindings of libquorutil: support, world and link files, naming, bands, tonal "
              "curves and their application to rasters, file operations.";
    // Schema validation runs an event loop, which Qt refuses without an application object.
    // It lives as long as the process: Qt objects may still use it at interpreter exit.
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "python3";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    // A value of the wrong kind (an int too large for its field, say) is a TypeError in Python.
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const py::cast_error &e) {
            PyErr_SetString(PyExc_TypeError, e.what());
        }
    });
    // The interpreter does not lie in the installation root; __init__.py names it.
    m.def(
        "_set_installation_root",
        [](const py::handle &root) { util::setQuorRoot(pyquor::fsPath(root)); }, py::arg("root"),
        "Names the installation root the library reads its settings from.");
    pyquor::bindSupport(m);
    pyquor::bindTonal(m);
    pyquor::bindFiles(m);
    pyquor::bindNames(m);
}
