#include "streams/dashnode.h"

#include <QXmlStreamReader>

namespace {

// Manifests nest five or six levels and hold a few thousand elements (one per
// SegmentTimeline entry or SegmentURL at most); far beyond that is no manifest.
constexpr int kMaxDepth = 32;
constexpr qsizetype kMaxNodes = 500000;

} // namespace

std::optional<DashNode> DashNode::Parse(const QByteArray &xml, QString &sError)
{
    QXmlStreamReader reader(xml);
    QList<DashNode> stack;
    std::optional<DashNode> root;
    qsizetype iNodes = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (root || stack.size() >= kMaxDepth || ++iNodes > kMaxNodes) {
                sError = root ? QStringLiteral("text after the root element")
                              : QStringLiteral("too deep or too large");
                return std::nullopt;
            }
            DashNode node;
            node.sName = reader.name().toString();
            for (const QXmlStreamAttribute &attribute : reader.attributes())
                node.attributes.insert(attribute.name().toString(), attribute.value().toString());
            stack.append(std::move(node));
            break;
        }
        case QXmlStreamReader::EndElement: {
            DashNode node = stack.takeLast();
            if (stack.isEmpty())
                root = std::move(node);
            else
                stack.last().children.append(std::move(node));
            break;
        }
        case QXmlStreamReader::Characters:
            if (!stack.isEmpty() && !reader.isWhitespace())
                stack.last().sText += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError() || !root) {
        sError = reader.hasError() ? reader.errorString() : QStringLiteral("no element");
        return std::nullopt;
    }
    return root;
}

const DashNode *DashNode::Child(const QString &sChildName) const
{
    for (const DashNode &child : children) {
        if (child.sName == sChildName)
            return &child;
    }
    return nullptr;
}

QList<const DashNode *> DashNode::Children(const QString &sChildName) const
{
    QList<const DashNode *> found;
    for (const DashNode &child : children) {
        if (child.sName == sChildName)
            found.append(&child);
    }
    return found;
}

bool DashNode::Contains(const QString &sDescendantName) const
{
    if (sName == sDescendantName)
        return true;
    for (const DashNode &child : children) {
        if (child.Contains(sDescendantName))
            return true;
    }
    return false;
}
