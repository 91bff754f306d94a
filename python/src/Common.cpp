#include "Common.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pyquor {

std::string fsPath(const py::handle &path)
{
    // Kept for the life of the process: destroying it at exit would need the GIL.
    static const py::handle fsencode =
        py::object(py::module_::import("os").attr("fsencode")).release();
    const py::object encoded = fsencode(path); // TypeError for what is no path
    std::string bytes = encoded.cast<std::string>();
    if (bytes.find('\0') != std::string::npos)
        throw py::value_error("embedded null byte in path");
    // The library takes paths as UTF-8 text: a name that does not survive that way would
    // reach another file, or none.
    const QByteArray local(bytes.data(), int(bytes.size()));
    if (QFile::encodeName(QString::fromStdString(bytes)) != local) {
        const py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(
            EILSEQ, "file name is not valid UTF-8", pyPath(bytes));
        PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(error.ptr())), error.ptr());
        throw py::error_already_set();
    }
    return bytes;
}

QString qPath(const py::handle &path)
{
    const std::string bytes = fsPath(path);
    return QFile::decodeName(QByteArray(bytes.data(), int(bytes.size())));
}

py::object pyPath(const std::string &path)
{
    PyObject *text = PyUnicode_DecodeFSDefaultAndSize(path.data(), Py_ssize_t(path.size()));
    if (!text)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(text);
}

py::object pyPath(const QString &path)
{
    return pyPath(QFile::encodeName(path).toStdString());
}

void raiseFailure(const util::Failure &failure)
{
    const py::object filename =
        failure.path.isEmpty() ? py::none().cast<py::object>() : pyPath(failure.path);
    if (failure.error != 0) {
        // OSError's constructor picks the subclass (FileNotFoundError, PermissionError, ...).
        const py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(
            failure.error, std::strerror(failure.error), filename);
        PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(error.ptr())), error.ptr());
        throw py::error_already_set();
    }
    const py::object error =
        py::reinterpret_borrow<py::object>(PyExc_ValueError)(failure.text().toStdString());
    error.attr("filename") = filename;
    error.attr("lineno") = failure.line ? py::cast(failure.line) : py::none().cast<py::object>();
    PyErr_SetObject(PyExc_ValueError, error.ptr());
    throw py::error_already_set();
}

void checkReadable(const QString &path)
{
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            error = EISDIR;
        ::close(fd);
    }
    if (error != 0)
        raiseFailure(util::Failure::system(error, path));
}

Reporter::Reporter(py::object callback)
    : m_callback(std::move(callback))
{
    if (!m_callback.is_none() && !PyCallable_Check(m_callback.ptr()))
        throw py::type_error("progress must be callable or None");
}

Reporter::~Reporter()
{
    Py_XDECREF(m_type);
    Py_XDECREF(m_value);
    Py_XDECREF(m_traceback);
}

void Reporter::totalAmount(double total, const char *)
{
    m_total = total;
    report(0.0);
}

void Reporter::amountDone(double amount)
{
    report(m_total > 0 ? amount / m_total : 0.0);
}

void Reporter::percentDone(double fraction)
{
    report(fraction);
}

void Reporter::finished(const char *)
{
    // Called while the operation unwinds too: never throws, a late error waits for rethrow().
    if (m_stopped || m_callback.is_none() || m_last >= 1.0)
        return;
    py::gil_scoped_acquire gil;
    m_last = 1.0;
    if (!PyObject_CallFunction(m_callback.ptr(), "d", 1.0)) {
        m_stopped = true;
        PyErr_Fetch(&m_type, &m_value, &m_traceback);
    }
}

void Reporter::report(double fraction)
{
    if (m_stopped)
        throw Interrupted();
    py::gil_scoped_acquire gil;
    bool failed = PyErr_CheckSignals() != 0;
    // Whole per mille only: a callback per GDAL block or copy chunk costs more than it tells.
    if (!failed && !m_callback.is_none() && (fraction >= m_last + 0.001 || fraction >= 1.0)
        && fraction != m_last) {
        m_last = fraction;
        PyObject *result = PyObject_CallFunction(m_callback.ptr(), "d", fraction);
        failed = result == nullptr;
        Py_XDECREF(result);
    }
    if (failed) {
        m_stopped = true;
        PyErr_Fetch(&m_type, &m_value, &m_traceback);
        throw Interrupted();
    }
}

void Reporter::rethrow()
{
    if (!m_type)
        return;
    PyErr_Restore(m_type, m_value, m_traceback);
    m_type = m_value = m_traceback = nullptr;
    throw py::error_already_set();
}

} // namespace pyquor
