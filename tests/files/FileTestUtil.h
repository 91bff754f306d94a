#pragma once

// Making a file undeletable for removeDir tests: root ignores permissions, so as root the file
// gets the immutable attribute; other users lose write permission on its directory.

#include <QString>

namespace filetest {

class Undeletable
{
public:
    /// Makes file (inside its directory dir) undeletable; check ok() for success.
    Undeletable(const QString &dir, const QString &file);
    ~Undeletable(); // restores, so the temporary folder can be cleaned up
    Undeletable(const Undeletable &) = delete;
    Undeletable &operator=(const Undeletable &) = delete;

    bool ok() const { return m_ok; }
    /// Why ok() is false.
    const QString &reason() const { return m_reason; }
    /// The errno that deleting the file gives.
    int expectedError() const { return m_asRoot ? 1 /* EPERM */ : 13 /* EACCES */; }

private:
    QString m_dir, m_file;
    bool m_asRoot = false;
    bool m_ok = false;
    QString m_reason;
};

} // namespace filetest
