#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// One element of an MPD with its attributes, text and children, by local
// name (namespaces do not matter to an MPD's reader). The manifest is read
// into these first because its rules look both up (inheritance) and
// sideways (the next Period's start).
class DashNode
{
public:
    QString sName;
    QHash<QString, QString> attributes;
    QString sText;
    QList<DashNode> children;

    // Nothing for text that is not well-formed XML, or too deep or too
    // large to be a manifest; sError says which.
    static std::optional<DashNode> Parse(const QByteArray &xml, QString &sError);

    bool Has(const QString &sAttribute) const { return attributes.contains(sAttribute); }
    QString Value(const QString &sAttribute) const { return attributes.value(sAttribute); }
    // The first child of that name, or nullptr.
    const DashNode *Child(const QString &sChildName) const;
    QList<const DashNode *> Children(const QString &sChildName) const;
    // Whether this element or any below it has that name.
    bool Contains(const QString &sDescendantName) const;
};
