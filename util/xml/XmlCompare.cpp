#include "util/xml/XmlCompare.h"

#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QVector>

#include <algorithm>
#include <utility>
#include <vector>

namespace util {

namespace {

QDomElement loadRoot(const QString &path)
{
    QDomDocument document;
    QFile file(path);
    // A failed parse may leave part of the tree behind; such a file has no root at all.
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file, false))
        return QDomElement();
    return document.documentElement();
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
    const QDomNamedNodeMap attributes = node.attributes();
    std::vector<std::pair<QString, QString>> pairs;
    pairs.reserve(static_cast<size_t>(attributes.count()));
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomNode attribute = attributes.item(i);
        pairs.emplace_back(attribute.nodeName(), attribute.nodeValue());
    }
    std::sort(pairs.begin(), pairs.end());
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
