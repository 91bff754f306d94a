#include "util/xml/XmlDepthGuard_p.h"

#include <QDomDocument>
#include <QXmlInputSource>

#include <QHash>

#include <algorithm>
#include <vector>

namespace util {
namespace detail {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char(':')
        || c == QLatin1Char('-') || c == QLatin1Char('.') || c.unicode() >= 0x80;
}

// The name of an entity reference "&name;" whose '&' is at ampersand; empty when there is none
// (a character reference, or no ';' after a name). Reads only the name, so the scan stays linear.
QStringRef referenceName(const QString &text, int ampersand)
{
    int end = ampersand + 1;
    while (end < text.size() && isNameChar(text.at(end)))
        ++end;
    if (end == ampersand + 1 || end >= text.size() || text.at(end) != QLatin1Char(';'))
        return QStringRef();
    return text.midRef(ampersand + 1, end - ampersand - 1);
}

// A reference to an entity that may hold markup: not a character reference, not predefined.
bool isDeclaredEntityReference(const QString &text, int ampersand)
{
    const QStringRef name = referenceName(text, ampersand);
    if (name.isEmpty())
        return false;
    for (const char *predefined : {"lt", "gt", "amp", "apos", "quot"}) {
        if (name == QLatin1String(predefined))
            return false;
    }
    return true;
}

// What the general entities of the internal subset hold: for each, how many characters and how
// many elements its full expansion could add (saturating just above the limits, and saturated
// for a chain of references that comes back to itself).
class Entities
{
public:
    struct Cost
    {
        qint64 characters = 0;
        qint64 nodes = 0;
    };

    void declare(const QStringRef &name, int valueStart, int valueEnd)
    {
        if (m_index.contains(name.toString())) // the first declaration binds
            return;
        m_index.insert(name.toString(), m_declared.size());
        m_declared.push_back({valueStart, valueEnd, {}});
        m_resolved = false;
    }
    bool isEmpty() const { return m_declared.empty(); }

    // Resolves the references inside the values; after each declaration that declared any.
    void resolve(const QString &text)
    {
        if (m_resolved)
            return;
        m_resolved = true;
        std::vector<std::vector<int>> refs(m_declared.size());
        for (size_t i = 0; i < m_declared.size(); ++i) {
            Declared &d = m_declared[i];
            d.own.characters = d.end - d.start;
            for (int p = d.start; p < d.end; ++p) {
                const QChar c = text.at(p);
                if (c == QLatin1Char('<')) {
                    ++d.own.nodes;
                } else if (c == QLatin1Char('&')) {
                    ++d.own.nodes; // &#60; makes a '<'
                    const QStringRef name = referenceName(text, p);
                    const auto found = m_index.constFind(name.toString());
                    if (!name.isEmpty() && found != m_index.constEnd()) {
                        refs[i].push_back(found.value());
                        d.own.nodes += 2; // the reference and its text
                    }
                }
            }
        }
        // Depth-first without recursion: a chain of references may be as long as the list.
        enum { Unseen, Open, Done };
        std::vector<char> state(m_declared.size(), Unseen);
        m_cost.assign(m_declared.size(), Cost());
        for (size_t root = 0; root < m_declared.size(); ++root) {
            if (state[root] != Unseen)
                continue;
            std::vector<std::pair<int, size_t>> stack {{int(root), 0}};
            state[root] = Open;
            m_cost[root] = m_declared[root].own;
            while (!stack.empty()) {
                auto &[entity, next] = stack.back();
                if (next < refs[entity].size()) {
                    const int child = refs[entity][next++];
                    if (state[child] == Unseen) {
                        state[child] = Open;
                        m_cost[child] = m_declared[child].own;
                        stack.push_back({child, 0});
                    } else if (state[child] == Open) {
                        m_cost[entity] = saturated(); // a cycle expands without end
                    } else {
                        add(m_cost[entity], m_cost[child]);
                    }
                    continue;
                }
                const int done = entity;
                state[done] = Done;
                stack.pop_back();
                if (!stack.empty())
                    add(m_cost[stack.back().first], m_cost[done]);
            }
        }
    }

    // The cost of a reference by name; nothing for a name not declared here.
    Cost cost(const QStringRef &name) const
    {
        const auto found = m_index.constFind(name.toString());
        return found == m_index.constEnd() ? Cost() : m_cost[found.value()];
    }

    static Cost saturated() { return {qint64(maxXmlEntityExpansion) + 1, qint64(maxXmlNodes) + 1}; }
    static void add(Cost &to, const Cost &more)
    {
        to.characters = std::min(to.characters + more.characters, saturated().characters);
        to.nodes = std::min(to.nodes + more.nodes, saturated().nodes);
    }

private:
    struct Declared
    {
        int start;
        int end;
        Cost own;
    };
    QHash<QString, int> m_index;
    std::vector<Declared> m_declared;
    std::vector<Cost> m_cost;
    bool m_resolved = true;
};

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
    bool declaresParameterEntity() const { return m_parameterEntity; }
    Entities &entities() { return m_entities; }

    // Moves past the next occurrence of end; to the end of the text when there is none.
    void skipPast(QLatin1String end)
    {
        const int found = m_text.indexOf(end, m_pos);
        m_pos = found < 0 ? m_size : found + end.size();
    }

    // Moves past a quoted literal that starts at the cursor; returns how many elements its
    // text could open: each '<', and each '&', since a character reference such as &#60; puts
    // a '<' into an entity's replacement text. Each '&' is also given to onReference, when set.
    template<typename OnReference> int skipQuoted(OnReference onReference)
    {
        const QChar quote = current();
        int markup = 0;
        for (++m_pos; m_pos < m_size && m_text.at(m_pos) != quote; ++m_pos) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('<')) {
                ++markup;
            } else if (c == QLatin1Char('&')) {
                ++markup;
                onReference(m_pos);
            }
        }
        advance(1);
        return markup;
    }
    int skipQuoted()
    {
        return skipQuoted([](int) {});
    }

    // Moves past a tag that starts after its '<' (attribute values may hold '>'); true when it
    // closes itself with "/>". *attributes counts the '=' outside values, one per attribute;
    // references in values go to onReference.
    template<typename OnReference> bool skipTag(int *attributes, OnReference onReference)
    {
        QChar last;
        while (m_pos < m_size) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                skipQuoted(onReference);
                last = QChar();
                continue;
            }
            ++m_pos;
            if (c == QLatin1Char('>'))
                return last == QLatin1Char('/');
            if (c == QLatin1Char('='))
                ++*attributes;
            if (!c.isSpace())
                last = c;
        }
        return false;
    }

    // Moves past a <!DOCTYPE ...> or other <! declaration starting at the cursor; returns how
    // deep entities declared in it could nest: one level for each declaration (the entity
    // reference node) and one for each element a quoted literal could open (see skipQuoted). A
    // chain of references names each entity at most once, so this bounds any expansion.
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
        m_entities.resolve(m_text);
        return markup;
    }

private:
    void skipSpace()
    {
        while (!atEnd() && current().isSpace())
            advance(1);
    }

    // At "<!ENTITY": notes a general entity with a literal value, or a parameter entity.
    void noteEntity()
    {
        int p = m_pos + 8;
        const auto space = [&] {
            while (p < m_size && m_text.at(p).isSpace())
                ++p;
        };
        space();
        if (p < m_size && m_text.at(p) == QLatin1Char('%')) {
            m_parameterEntity = true;
            return;
        }
        const int nameStart = p;
        while (p < m_size && isNameChar(m_text.at(p)))
            ++p;
        const QStringRef name = m_text.midRef(nameStart, p - nameStart);
        space();
        if (name.isEmpty() || p >= m_size)
            return;
        const QChar quote = m_text.at(p);
        if (quote != QLatin1Char('"') && quote != QLatin1Char('\''))
            return; // external: Qt's parser does not fetch it
        const int end = m_text.indexOf(quote, p + 1);
        m_entities.declare(name, p + 1, end < 0 ? m_size : end);
    }

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
                if (startsWith(QLatin1String("<!ENTITY")))
                    noteEntity();
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
            } else if (current() == QLatin1Char('%')) {
                m_parameterEntity = true; // a reference to one
                advance(1);
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
    bool m_parameterEntity = false;
    Entities m_entities;
};

void locate(const QString &text, int index, int *line, int *column)
{
    const QStringRef before = text.leftRef(index);
    const int lastBreak = before.lastIndexOf(QLatin1Char('\n'));
    if (line)
        *line = before.count(QLatin1Char('\n')) + 1;
    if (column)
        *column = index - lastBreak;
}

bool refuse(const QString &text, int index, const QString &why, QString *errorMsg, int *errorLine,
            int *errorColumn)
{
    if (errorMsg)
        *errorMsg = why;
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
    qint64 nodes = 0;
    qint64 expansion = 0;
    int refusedAt = -1;
    QString why;
    const auto tooDeep = [] {
        return QStringLiteral("elements nested deeper than %1 levels").arg(maxXmlDepth);
    };
    // Adds nodes made at index; false (noting why) beyond the limit.
    const auto count = [&](qint64 more, int index) {
        nodes += more;
        if (nodes <= maxXmlNodes)
            return true;
        refusedAt = index;
        why = QStringLiteral("more than %1 elements, attributes and other nodes").arg(maxXmlNodes);
        return false;
    };
    // A reference in content or in an attribute value: a node of its own, and what its entity
    // expands to.
    const auto reference = [&](int ampersand) {
        if (refusedAt >= 0)
            return;
        const QStringRef name = referenceName(text, ampersand);
        if (name.isEmpty())
            return;
        const Entities::Cost cost = scan.entities().cost(name);
        if (cost.characters == 0 && !isDeclaredEntityReference(text, ampersand))
            return; // &amp; and its kind make no node
        expansion += cost.characters;
        if (expansion > maxXmlEntityExpansion) {
            refusedAt = ampersand;
            why = QStringLiteral("entity references that expand to more than %1 characters")
                      .arg(maxXmlEntityExpansion);
            return;
        }
        count(2 + cost.nodes, ampersand);
    };
    while (!scan.atEnd() && refusedAt < 0) {
        const QChar c = scan.current();
        const int at = scan.pos();
        if (c == QLatin1Char('&')) {
            if (entityDepth > 0 && depth + entityDepth > maxXmlDepth
                && isDeclaredEntityReference(text, at))
                return refuse(text, at, tooDeep(), errorMsg, errorLine, errorColumn);
            reference(at);
            scan.advance(1);
            continue;
        }
        if (c != QLatin1Char('<')) {
            scan.advance(1);
            continue;
        }
        // Each node below may be followed by a text node: two for each.
        if (scan.startsWith(QLatin1String("<!--"))) {
            scan.skipPast(QLatin1String("-->"));
            count(2, at);
        } else if (scan.startsWith(QLatin1String("<![CDATA["))) {
            scan.skipPast(QLatin1String("]]>"));
            count(2, at);
        } else if (scan.startsWith(QLatin1String("<!"))) {
            entityDepth += scan.skipDeclaration();
            if (scan.declaresParameterEntity())
                return refuse(text, at, QStringLiteral("parameter entities are not read"), errorMsg,
                              errorLine, errorColumn);
        } else if (scan.startsWith(QLatin1String("<?"))) {
            scan.skipPast(QLatin1String("?>"));
            count(2, at);
        } else if (scan.startsWith(QLatin1String("</"))) {
            depth = std::max(0, depth - 1);
            scan.skipPast(QLatin1String(">"));
        } else {
            if (++depth > maxXmlDepth)
                return refuse(text, at, tooDeep(), errorMsg, errorLine, errorColumn);
            scan.advance(1);
            int attributes = 0;
            if (scan.skipTag(&attributes, reference))
                --depth;
            if (attributes > maxXmlAttributes)
                return refuse(
                    text, at,
                    QStringLiteral("an element with more than %1 attributes").arg(maxXmlAttributes),
                    errorMsg, errorLine, errorColumn);
            count(2 + attributes, at);
        }
    }
    if (refusedAt >= 0)
        return refuse(text, refusedAt, why, errorMsg, errorLine, errorColumn);
    return true;
}

bool setXmlContent(QDomDocument &document, const QByteArray &bytes, bool namespaceProcessing,
                   QString *errorMsg, int *errorLine, int *errorColumn)
{
    if (bytes.size() > maxXmlBytes) {
        document.setContent(QString(), namespaceProcessing);
        if (errorMsg)
            *errorMsg = QStringLiteral("more than %1 MiB of XML").arg(maxXmlBytes >> 20);
        if (errorLine)
            *errorLine = 1;
        if (errorColumn)
            *errorColumn = 1;
        return false;
    }
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
