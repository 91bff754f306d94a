#pragma once

// Internal: compiled XML schemas, kept per thread.
//
// QtXmlPatterns never frees part of what compiling a schema allocates (reference cycles inside
// the compiled schema), so a program that compiled a schema for every check would grow without
// bound. Every schema check of the library therefore takes its schema from here: compiled once
// per thread (a compiled schema must not be used by two threads) and again only when the file
// changes its size or modification time.

#include <QAbstractMessageHandler>
#include <QString>
#include <QXmlSchema>

namespace util {
namespace detail {

/// Keeps the XML library quiet (its default handler prints to the console) and remembers the
/// first complaint, as plain text with its line and column when it has one.
class FirstXmlMessage : public QAbstractMessageHandler
{
public:
    QString text;

protected:
    void handleMessage(QtMsgType type, const QString &description, const QUrl &identifier,
                       const QSourceLocation &location) override;
};

struct CompiledSchema
{
    QXmlSchema schema; ///< implicitly shared with the cache; valid() tells whether it compiled
    QString message; ///< the first complaint while compiling, if any
};

/// The schema in the file at path, compiled at most once per thread while the file is unchanged.
/// The cache holds the last 16 schemas of each thread. Validators made from the schema report to
/// Qt's default message handler unless given their own.
CompiledSchema compiledSchema(const QString &path);

} // namespace detail
} // namespace util
