#include "streams/hlsattributes.h"

std::optional<HlsAttributes> HlsAttributes::Parse(QStringView text)
{
    HlsAttributes attributes;
    qsizetype i = 0;
    const qsizetype iEnd = text.size();
    while (i < iEnd) {
        while (i < iEnd && text.at(i) == u' ')
            ++i;
        if (i == iEnd)
            break;
        const qsizetype iEquals = text.indexOf(u'=', i);
        if (iEquals <= i)
            return std::nullopt;
        const QString sName = text.sliced(i, iEquals - i).trimmed().toString();
        if (sName.isEmpty() || sName.contains(u','))
            return std::nullopt;
        i = iEquals + 1;
        QString sValue;
        if (i < iEnd && text.at(i) == u'"') {
            const qsizetype iClose = text.indexOf(u'"', i + 1);
            if (iClose < 0)
                return std::nullopt;
            sValue = text.sliced(i + 1, iClose - i - 1).toString();
            i = iClose + 1;
            while (i < iEnd && text.at(i) == u' ')
                ++i;
            if (i < iEnd && text.at(i) != u',')
                return std::nullopt;
        } else {
            qsizetype iComma = text.indexOf(u',', i);
            if (iComma < 0)
                iComma = iEnd;
            sValue = text.sliced(i, iComma - i).trimmed().toString();
            i = iComma;
        }
        // The first of a repeated name counts, as a reader that stops at the
        // first match would take it.
        if (!attributes.m_values.contains(sName))
            attributes.m_values.insert(sName, sValue);
        if (i < iEnd)
            ++i; // the comma
    }
    return attributes;
}
