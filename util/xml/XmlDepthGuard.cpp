#include "util/xml/XmlDepthGuard_p.h"

#include <QDomDocument>
#include <QXmlInputSource>

#include <algorithm>

namespace util {
namespace detail {

namespace {

// A cursor over the text that the scan moves forward only, so the whole check is linear.
class Scanner
{
public:
    explicit Scanner(const QString &text)
        : m_text(text)
        , m_size(text.size())
    {
    }

    bool atEnd() const { return m_pos >= m_size; }
    int pos() const { return m_pos; }
    QChar current() const { return m_text.at(m_pos); }
    bool startsWith(QLatin1String s) const { return m_text.midRef(m_pos).startsWith(s); }
    void advance(int n) { m_pos = std::min(m_size, m_pos + n); }

    // Moves past the next occurrence of end; to the end of the text when there is none.
    void skipPast(QLatin1String end)
    {
        const int found = m_text.indexOf(end, m_pos);
        m_pos = found < 0 ? m_size : found + end.size();
    }

    // Moves past a quoted literal that starts at the cursor; returns how many elements its
    // text could open: each '<', and each '&', since a character reference such as &#60; puts
    // a '<' into an entity's replacement text.
    int skipQuoted()
    {
        const QChar quote = current();
        int markup = 0;
        for (++m_pos; m_pos < m_size && m_text.at(m_pos) != quote; ++m_pos) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('<') || c == QLatin1Char('&'))
                ++markup;
        }
        advance(1);
        return markup;
    }

    // Moves past a tag that starts after its '<' (attribute values may hold '>'); true when it
    // closes itself with "/>".
    bool skipTag()
    {
        QChar last;
        while (m_pos < m_size) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                skipQuoted();
                last = QChar();
                continue;
            }
            ++m_pos;
            if (c == QLatin1Char('>'))
                return last == QLatin1Char('/');
            if (!c.isSpace())
                last = c;
        }
        return false;
    }

    // Moves past a <!DOCTYPE ...> or other <! declaration starting at the cursor; returns how
    // deep entities declared in it could nest: one level for each declaration (the entity
    // reference node) and one for each element a quoted literal could open (see skipQuoted). A chain of references names each entity at most once, so this bounds any expansion.
    int skipDeclaration()
    {
        int markup = 0;
        advance(2);
        while (!atEnd()) {
            const QChar c = current();
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                skipQuoted();
            } else if (c == QLatin1Char('[')) {
                advance(1);
                markup += skipInternalSubset();
            } else {
                advance(1);
                if (c == QLatin1Char('>'))
                    break;
            }
        }
        return markup;
    }

private:
    int skipInternalSubset()
    {
        int markup = 0;
        while (!atEnd()) {
            if (startsWith(QLatin1String("<!--"))) {
                skipPast(QLatin1String("-->"));
            } else if (startsWith(QLatin1String("<?"))) {
                skipPast(QLatin1String("?>"));
            } else if (current() == QLatin1Char('<')) {
                ++markup;
                for (advance(1); !atEnd();) {
                    const QChar c = current();
                    if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                        markup += skipQuoted();
                        continue;
                    }
                    advance(1);
                    if (c == QLatin1Char('>'))
                        break;
                }
            } else if (current() == QLatin1Char(']')) {
                advance(1);
                break;
            } else {
                advance(1);
            }
        }
        return markup;
    }

    const QString &m_text;
    const int m_size;
    int m_pos = 0;
};

// A reference to an entity that may hold markup: not a character reference, not predefined.
bool isDeclaredEntityReference(const QString &text, int ampersand)
{
    const int semicolon = text.indexOf(QLatin1Char(';'), ampersand + 1);
    if (semicolon < 0)
        return false;
    const QStringRef name = text.midRef(ampersand + 1, semicolon - ampersand - 1);
    if (name.isEmpty() || name.startsWith(QLatin1Char('#')))
        return false;
    for (const char *predefined : {"lt", "gt", "amp", "apos", "quot"}) {
        if (name == QLatin1String(predefined))
            return false;
    }
    return true;
}

void locate(const QString &text, int index, int *line, int *column)
{
    const QStringRef before = text.leftRef(index);
    const int lastBreak = before.lastIndexOf(QLatin1Char('\n'));
    if (line)
        *line = before.count(QLatin1Char('\n')) + 1;
    if (column)
        *column = index - lastBreak;
}

bool refuse(const QString &text, int index, QString *errorMsg, int *errorLine, int *errorColumn)
{
    if (errorMsg)
        *errorMsg = QStringLiteral("elements nested deeper than %1 levels").arg(maxXmlDepth);
    locate(text, index, errorLine, errorColumn);
    return false;
}

} // namespace

QString decodeXml(const QByteArray &bytes)
{
    // The DOM parser's own decoding: a QXmlInputSource, deprecated only along with the parser
    // that still uses it.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QXmlInputSource source;
    source.setData(bytes);
    return source.data();
    QT_WARNING_POP
}

bool withinXmlDepth(const QString &text, QString *errorMsg, int *errorLine, int *errorColumn)
{
    Scanner scan(text);
    int depth = 0;
    int entityDepth = 0; // how deep a declared entity's replacement text could nest
    while (!scan.atEnd()) {
        const QChar c = scan.current();
        if (c == QLatin1Char('&')) {
            if (entityDepth > 0 && depth + entityDepth > maxXmlDepth
                && isDeclaredEntityReference(text, scan.pos()))
                return refuse(text, scan.pos(), errorMsg, errorLine, errorColumn);
            scan.advance(1);
            continue;
        }
        if (c != QLatin1Char('<')) {
            scan.advance(1);
            continue;
        }
        if (scan.startsWith(QLatin1String("<!--"))) {
            scan.skipPast(QLatin1String("-->"));
        } else if (scan.startsWith(QLatin1String("<![CDATA["))) {
            scan.skipPast(QLatin1String("]]>"));
        } else if (scan.startsWith(QLatin1String("<!"))) {
            entityDepth += scan.skipDeclaration();
        } else if (scan.startsWith(QLatin1String("<?"))) {
            scan.skipPast(QLatin1String("?>"));
        } else if (scan.startsWith(QLatin1String("</"))) {
            depth = std::max(0, depth - 1);
            scan.skipPast(QLatin1String(">"));
        } else {
            const int start = scan.pos();
            if (++depth > maxXmlDepth)
                return refuse(text, start, errorMsg, errorLine, errorColumn);
            scan.advance(1);
            if (scan.skipTag())
                --depth;
        }
    }
    return true;
}

bool setXmlContent(QDomDocument &document, const QByteArray &bytes, bool namespaceProcessing,
                   QString *errorMsg, int *errorLine, int *errorColumn)
{
    return setXmlContent(document, decodeXml(bytes), namespaceProcessing, errorMsg, errorLine,
                         errorColumn);
}

bool setXmlContent(QDomDocument &document, const QString &text, bool namespaceProcessing,
                   QString *errorMsg, int *errorLine, int *errorColumn)
{
    if (!withinXmlDepth(text, errorMsg, errorLine, errorColumn)) {
        // As a failed parse leaves it: no content.
        document.setContent(QString(), namespaceProcessing);
        return false;
    }
    return document.setContent(text, namespaceProcessing, errorMsg, errorLine, errorColumn);
}

bool domWithinXmlDepth(const QDomNode &node)
{
    if (node.isNull())
        return true;
    // Depth-first with the path as the only state: down to the first child, else across to the
    // next sibling of the deepest node that has one.
    int depth = 1;
    QDomNode current = node;
    while (true) {
        const QDomNode child = current.firstChild();
        if (!child.isNull()) {
            if (++depth > maxXmlDepth)
                return false;
            current = child;
            continue;
        }
        while (depth > 1 && current.nextSibling().isNull()) {
            current = current.parentNode();
            --depth;
        }
        if (depth == 1)
            return true;
        current = current.nextSibling();
    }
}

} // namespace detail
} // namespace util
