#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

// The attribute list of an HLS tag: NAME=VALUE pairs separated by commas,
// where a value in double quotes may hold commas of its own.
class HlsAttributes
{
public:
    // Nothing when the list is broken (a name without "=", an unclosed quote,
    // text after a closing quote). Quotes are removed from quoted values.
    static std::optional<HlsAttributes> Parse(QStringView text);

    bool Has(const QString &sName) const { return m_values.contains(sName); }
    QString Value(const QString &sName) const { return m_values.value(sName); }

private:
    QHash<QString, QString> m_values;
};
