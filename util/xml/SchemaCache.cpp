#include "util/xml/SchemaCache_p.h"

#include "util/files/Failure.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSourceLocation>
#include <QUrl>

#include <cerrno>
#include <deque>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace detail {

void FirstXmlMessage::handleMessage(QtMsgType type, const QString &description, const QUrl &,
                                    const QSourceLocation &location)
{
    if (type == QtDebugMsg || type == QtInfoMsg || !text.isEmpty())
        return;
    // Descriptions come as XHTML fragments.
    QString plain = description;
    plain.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    plain.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    plain = plain.simplified();
    if (location.line() > 0)
        text = QStringLiteral("line %1, column %2: %3")
                   .arg(location.line())
                   .arg(location.column())
                   .arg(plain);
    else
        text = plain;
}

namespace {

struct CacheEntry
{
    QString path;
    qint64 size = -1;
    QDateTime modified;
    FirstXmlMessage messages; // outlives the schema that reports to it
    QXmlSchema schema;
};

constexpr std::size_t cacheCapacity = 16;

} // namespace

CompiledSchema compiledSchema(const QString &path)
{
    thread_local std::deque<std::unique_ptr<CacheEntry>> cache;
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.lastModified();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if ((*it)->path != path)
            continue;
        if ((*it)->size == size && (*it)->modified == modified)
            return {(*it)->schema, (*it)->messages.text};
        cache.erase(it);
        break;
    }
    auto entry = std::make_unique<CacheEntry>();
    entry->path = path;
    entry->size = size;
    entry->modified = modified;
    entry->schema.setMessageHandler(&entry->messages);
    entry->schema.load(QUrl::fromLocalFile(path));
    if (!entry->schema.isValid() && entry->messages.text.isEmpty()) {
        // Qt says nothing about a file it cannot open: the system does.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0)
            entry->messages.text = systemReason(errno);
        else if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            entry->messages.text = systemReason(EISDIR);
        if (fd >= 0)
            ::close(fd);
    }
    // Validators made from the schema take its message handler over: they go back to Qt's own,
    // which outlives any cache entry and thread.
    entry->schema.setMessageHandler(nullptr);
    CompiledSchema compiled {entry->schema, entry->messages.text};
    if (cache.size() == cacheCapacity)
        cache.pop_front();
    cache.push_back(std::move(entry));
    return compiled;
}

} // namespace detail
} // namespace util
