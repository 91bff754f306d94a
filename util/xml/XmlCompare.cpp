#include "util/xml/XmlCompare.h"

#include "util/files/ReadFile.h"
#include "util/xml/XmlDepthGuard_p.h"

#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QTextStream>
#include <QVector>

#include <algorithm>
#include <utility>
#include <vector>

namespace util {

namespace {

using Attributes = std::vector<std::pair<QString, QString>>;

QDomElement loadRoot(const QString &path)
{
    QDomDocument document;
    QByteArray bytes;
    // A failed parse may leave part of the tree behind; such a file has no root at all.
    if (!readWholeFile(path, bytes) || !detail::setXmlContent(document, bytes, false))
        return QDomElement();
    return document.documentElement();
}

QString codePoint(QStringRef number)
{
    const uint code = number.startsWith(QLatin1Char('x')) ? number.mid(1).toUInt(nullptr, 16)
                                                          : number.toUInt(nullptr, 10);
    return QString::fromUcs4(&code, 1);
}

// The value of an attribute as the DOM serializer writes it: &lt; &gt; &amp; &quot; &apos;
// and character references.
QString unescape(QStringRef text)
{
    if (!text.contains(QLatin1Char('&')))
        return text.toString();
    QString value;
    value.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const int semicolon =
            text.at(i) == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i) : -1;
        if (semicolon < 0) {
            value += text.at(i);
            continue;
        }
        const QStringRef name = text.mid(i + 1, semicolon - i - 1);
        i = semicolon;
        if (name == QLatin1String("lt"))
            value += QLatin1Char('<');
        else if (name == QLatin1String("gt"))
            value += QLatin1Char('>');
        else if (name == QLatin1String("amp"))
            value += QLatin1Char('&');
        else if (name == QLatin1String("quot"))
            value += QLatin1Char('"');
        else if (name == QLatin1String("apos"))
            value += QLatin1Char('\'');
        else if (name.startsWith(QLatin1Char('#')))
            value += codePoint(name.mid(1));
        else
            value += QLatin1Char('&') + name + QLatin1Char(';');
    }
    return value;
}

// The attributes of an element read from its serialized start tag, <tag a="v" b="w"/>: one
// pass over the attribute table, where QDomNamedNodeMap::item(i) walks i entries each time.
bool attributesFromStartTag(const QDomElement &element, Attributes &pairs)
{
    QString tag;
    {
        QTextStream stream(&tag);
        element.cloneNode(false).save(stream, 0);
    }
    const QChar *data = tag.constData();
    const int size = tag.size();
    int i = 1;
    while (i < size && !data[i].isSpace() && data[i] != QLatin1Char('/')
           && data[i] != QLatin1Char('>'))
        ++i;
    while (true) {
        while (i < size && data[i].isSpace())
            ++i;
        if (i >= size || data[i] == QLatin1Char('/') || data[i] == QLatin1Char('>'))
            return true;
        const int nameStart = i;
        while (i < size && data[i] != QLatin1Char('='))
            ++i;
        if (i + 1 >= size || data[i + 1] != QLatin1Char('"'))
            return false;
        const int valueStart = i + 2;
        const int valueEnd = tag.indexOf(QLatin1Char('"'), valueStart);
        if (valueEnd < 0)
            return false;
        pairs.emplace_back(tag.mid(nameStart, i - nameStart),
                           unescape(tag.midRef(valueStart, valueEnd - valueStart)));
        i = valueEnd + 1;
    }
}

// Every attribute of the node, sorted by name and value.
Attributes sortedAttributes(const QDomNode &node)
{
    const QDomNamedNodeMap attributes = node.attributes();
    const int count = attributes.count();
    Attributes pairs;
    pairs.reserve(static_cast<size_t>(count));
    // Few attributes are read directly. Many are read from the start tag, and what was read is
    // checked against the element by name (a hash lookup each): the count, distinct names and
    // every value must agree, so the result is the element's attributes exactly; otherwise
    // they are read directly after all (an element with namespaces, say).
    const int directLimit = 16;
    if (count > directLimit && node.isElement()) {
        QDomElement element = node.toElement(); // attributeNode() is not const
        bool exact = attributesFromStartTag(element, pairs) && int(pairs.size()) == count;
        if (exact) {
            std::sort(pairs.begin(), pairs.end());
            for (size_t i = 0; exact && i < pairs.size(); ++i) {
                const QDomAttr attribute = element.attributeNode(pairs[i].first);
                exact = !attribute.isNull() && attribute.value() == pairs[i].second
                    && (i == 0 || pairs[i - 1].first != pairs[i].first);
            }
        }
        if (exact)
            return pairs;
        pairs.clear();
    }
    for (int i = 0; i < count; ++i) {
        const QDomNode attribute = attributes.item(i);
        pairs.emplace_back(attribute.nodeName(), attribute.nodeValue());
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

void appendField(QString &key, const QString &field)
{
    key += QString::number(field.size());
    key += QLatin1Char(':');
    key += field;
}

// A text that two nodes share exactly when they are equal without their children: kind, value,
// tag name of elements, and the attributes regardless of order. Each field is length-prefixed
// and each count ends in '|', so the text reads back one way only and no two different nodes
// can produce it.
QString shallowKey(const QDomNode &node)
{
    QString key = QString::number(static_cast<int>(node.nodeType()));
    key += QLatin1Char('|');
    appendField(key, node.nodeValue());
    if (node.isElement())
        appendField(key, node.toElement().tagName());
    const Attributes pairs = sortedAttributes(node);
    key += QString::number(static_cast<int>(pairs.size()));
    key += QLatin1Char('|');
    for (const auto &pair : pairs) {
        appendField(key, pair.first);
        appendField(key, pair.second);
    }
    return key;
}

QVector<QDomNode> childrenOf(const QDomNode &node)
{
    QVector<QDomNode> children;
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
        children << child;
    return children;
}

// Pairs each child of a with the first unpaired shallow-equal child of b in b's order.
// Shallow equality is an equivalence, so "the first fitting node of the pool" is the front of
// the queue of b's children with the same key: linear instead of quadratic in sibling count.
bool pairChildren(const QDomNode &a, const QDomNode &b,
                  std::vector<std::pair<QDomNode, QDomNode>> &pairs)
{
    const QVector<QDomNode> childrenA = childrenOf(a);
    const QVector<QDomNode> childrenB = childrenOf(b);
    if (childrenA.size() != childrenB.size())
        return false;

    struct Pool
    {
        QVector<int> indices;
        int next = 0;
    };
    QHash<QString, Pool> pool;
    pool.reserve(childrenB.size());
    for (int i = 0; i < childrenB.size(); ++i)
        pool[shallowKey(childrenB.at(i))].indices << i;

    for (const QDomNode &child : childrenA) {
        const auto it = pool.find(shallowKey(child));
        if (it == pool.end() || it->next == it->indices.size())
            return false;
        pairs.emplace_back(child, childrenB.at(it->indices.at(it->next++)));
    }
    return true;
}

} // namespace

bool compareXMLfiles(const QString &fileA, const QString &fileB)
{
    const QDomElement rootA = loadRoot(fileA);
    const QDomElement rootB = loadRoot(fileB);
    if (shallowKey(rootA) != shallowKey(rootB))
        return false;

    // An explicit stack rather than recursion: nesting depth comes from the files.
    std::vector<std::pair<QDomNode, QDomNode>> pending {{rootA, rootB}};
    while (!pending.empty()) {
        const std::pair<QDomNode, QDomNode> pair = std::move(pending.back());
        pending.pop_back();
        if (!pairChildren(pair.first, pair.second, pending))
            return false;
    }
    return true;
}

} // namespace util
