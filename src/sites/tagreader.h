#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <utility>

// A tag as written in a page: its name and attributes are views of the
// page's text, and a value is decoded only when it is read.
struct Tag
{
    QStringView name;
    bool bClosing = false;
    QVarLengthArray<std::pair<QStringView, QStringView>, 8> attributes;

    bool Is(QLatin1StringView sName) const
    {
        return name.compare(sName, Qt::CaseInsensitive) == 0;
    }
    // The first attribute of that name (any case), its character references
    // decoded; empty when the tag has none.
    QString Attribute(QLatin1StringView sName) const;
};

// Walks the tags of a page as browsers read them, closely enough for the
// few tags the rule for other sites looks at: names and attributes in any
// order, values in single, double or no quotes, comments skipped. Every
// character is looked at a bounded number of times, whatever the page holds:
// pages come from anywhere and are read on the window's thread.
class TagReader
{
public:
    // The page must outlive the reader and the tags it gives.
    explicit TagReader(QStringView sPage) : m_sPage(sPage) {}

    bool Next(Tag &tag);
    // The text from here up to the tag that closes sName (a script's body).
    QStringView RawTextUntilClose(QStringView sName);

    // The text with its character references (&amp;, &#38;, &#x26; ...)
    // decoded; anything that is no reference stays as written.
    static QString DecodeEntities(QStringView sText);

private:
    qsizetype ReadAttributes(qsizetype i, Tag &tag) const;

    QStringView m_sPage;
    qsizetype m_iPos = 0;
};
