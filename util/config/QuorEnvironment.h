#pragma once

/// \file
/// Where the suite lies and where it keeps its settings, manual and configurations.
///
/// Paths are 8-bit strings with '/' as separator and no trailing '/' added. Two environment
/// variables redirect them: "QUOR_DEVELOP" moves the whole installation root, "QUOR_INI" names
/// another settings file.
/// \ingroup config

#include "util/UtilExport.h"

#include <QString>

#include <string>

class QSettings;

namespace util {

/// Full file name of the running process's executable (not of this library), whole however
/// long it is.
/// \return the path with '/' separators; empty when the system does not tell it
UTIL_EXPORT std::string modulename();
/// Directory of the running executable (see modulename()).
/// \return modulename() up to its last '/' (the name itself when it has none)
UTIL_EXPORT std::string modulepath();
/// The highest SIMD instruction level of the processor: 2.0, 3.0, 3.1, 4.1 or 4.2.
/// \return the level; 2.0 when the processor reports none of the later ones
UTIL_EXPORT float vectorOpLevel();

/// The installation root: "QUOR_DEVELOP" with '\' turned into '/' when set, otherwise the
/// root named by setQuorRoot() (as given, with '/' separators), otherwise the executable's
/// directory. The executables,
/// quor.ini and etc/ lie side by side there.
/// \return the root directory
UTIL_EXPORT std::string const getQuorRoot();
/// Names the installation root of a program that does not run from it.
///
/// An interpreter that loads the library (the Python module) lies elsewhere; it names the root
/// here rather than in "QUOR_DEVELOP", which the programs it starts would inherit. The
/// environment variable still wins. Call it before anything reads the settings (getQuorIni()
/// keeps the file it opened first), from one thread.
/// \param root the root directory; empty goes back to the executable's directory
UTIL_EXPORT void setQuorRoot(const std::string &root);

/// The process-wide settings object on `<root>/quor.ini` (or the file named by "QUOR_INI").
/// Created by the first call that finds the file and kept for the life of the process; later
/// changes of the environment do not move it. Throws std::runtime_error
/// "Can't find quor.ini: <path>" when the file is missing; the next call tries again.
/// The first creation is not guarded against concurrent callers.
/// \return the settings, in INI format, read only
UTIL_EXPORT QSettings const &getQuorIni();

/// Base directory of unit-test data ("QUOR_UTEST_BASEDIR" with '/' separators). Throws
/// std::runtime_error "QUOR_UTEST_BASEDIR is not set." when the variable is unset.
/// \return the directory, as the variable names it but for the separators
UTIL_EXPORT std::string const getUnitTestDir();

/// Full path of the user manual.
///
/// The manual is the first PDF in the root whose name matches
/// "*quor*<major>.<minor>*manual*.pdf" or "Quor*Viewer*Manual.pdf", ignoring case, in the
/// order the file system lists the root. `<major>.<minor>` is the library's version, fixed when
/// it is built (6.2).
/// Throws std::runtime_error "Can't find help file" when there is none.
/// \return the root, '/' and the file's name
UTIL_EXPORT std::string getHelpFile();

/// Opens the user manual in the desktop's viewer; passes on the exception of getHelpFile().
UTIL_EXPORT void openHelp();

/// Path of the naming configuration registered under name.
///
/// The path is the value of [NamingConfig] name in the settings file, unchanged, or
/// `<root>/etc/<name>.xml` when the key is absent. Passes on the exception of getQuorIni().
/// \param name the key under [NamingConfig], and the file's base name when the key is absent
/// \return the path
UTIL_EXPORT QString getFavoritesFile(QString const &name);

} // namespace util
