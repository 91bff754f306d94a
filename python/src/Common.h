#pragma once

// Shared by the binding's translation units: paths from Python, exceptions to Python, and the
// progress reporter through which long calls report and are interrupted.

#include "util/core/ProgressInterface.h"
#include "util/files/Failure.h"

#include <pybind11/pybind11.h>

#include <QString>

#include <exception>
#include <string>

namespace py = pybind11;

namespace pyquor {

/// A path given as str, bytes or os.PathLike, as the file system's bytes (os.fsencode).
/// TypeError for anything else, ValueError for an embedded NUL.
std::string fsPath(const py::handle &path);
/// The same as a QString (QFile::decodeName, so undecodable bytes survive the round trip).
QString qPath(const py::handle &path);
/// A path for Python: str, with undecodable bytes as surrogates (os.fsdecode).
py::object pyPath(const QString &path);
py::object pyPath(const std::string &path);

/// Raises the Python exception for failure: an OSError subclass with errno and filename for a
/// system error, ValueError (with filename and lineno attributes) for anything else.
[[noreturn]] void raiseFailure(const util::Failure &failure);
/// OSError(error, strerror(error), path) when the file cannot be opened for reading; returns
/// quietly otherwise. Used where the library only has a message, to tell which system error.
void checkReadable(const QString &path);

/// Thrown through the library by the reporter when Python asks the operation to stop (an
/// exception in the callback, or a signal such as Ctrl+C): the library unwinds as from any
/// failure, so its file replacement removes what it had written.
struct Interrupted : std::exception
{
    const char *what() const noexcept override { return "interrupted"; }
};

/// Reports fractions done to a Python callable (or to nobody) and checks for signals, with the
/// GIL held only while it does. Create it with the GIL held, run the operation with it
/// released, then call rethrow() with the GIL held again.
class Reporter : public util::ProgressInterface
{
public:
    explicit Reporter(py::object callback);
    ~Reporter() override;

    void totalAmount(double total, const char *units) override;
    double totalAmount() override { return m_total; }
    void amountDone(double amount) override;
    void percentDone(double fraction) override;
    void finished(const char *taskName) override;

    /// Raises the Python exception that stopped the operation, if any.
    void rethrow();

private:
    void report(double fraction);

    py::object m_callback;
    double m_total = 0.0;
    double m_last = -1.0;
    bool m_stopped = false;
    PyObject *m_type = nullptr;
    PyObject *m_value = nullptr;
    PyObject *m_traceback = nullptr;
};

void bindSupport(py::module_ &m);
void bindTonal(py::module_ &m);
void bindFiles(py::module_ &m);
void bindNames(py::module_ &m);

} // namespace pyquor
