#include "tools/quorutil/Input.h"

#include "util/files/SystemError.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace quorutil {

namespace {

QString sizeText(std::size_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return QString::number(qulonglong(bytes >> 20)) + QStringLiteral(" MiB");
    return QString::number(qulonglong(bytes)) + QStringLiteral(" bytes");
}

} // namespace

bool readStandardInput(QByteArray &bytes, QString *error, std::size_t maxBytes)
{
    bytes.clear();
    maxBytes = std::min<std::size_t>(maxBytes, (std::size_t(1) << 31) - 64);
    // One byte beyond the bound tells an input over it from one that just fits.
    QByteArray buffer;
    std::size_t used = 0;
    for (;;) {
        if (used == std::size_t(buffer.size())) {
            if (used > maxBytes) {
                if (error)
                    *error = QStringLiteral("-: larger than ") + sizeText(maxBytes);
                return false;
            }
            buffer.resize(int(std::min(used * 2 + 65536, maxBytes + 1)));
        }
        const ssize_t n =
            ::read(STDIN_FILENO, buffer.data() + used, std::size_t(buffer.size()) - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (error)
                *error = QStringLiteral("Can't read: -: ")
                    + QString::fromStdString(util::systemErrorText(errno));
            return false;
        }
        if (n == 0)
            break;
        used += std::size_t(n);
    }
    buffer.resize(int(used));
    bytes = buffer;
    return true;
}

} // namespace quorutil
