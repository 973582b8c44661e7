#include "sites/tagreader.h"

namespace {

bool DecodeReference(QStringView ref, QString &sOut)
{
    if (ref == u"amp")
        sOut += u'&';
    else if (ref == u"quot")
        sOut += u'"';
    else if (ref == u"apos")
        sOut += u'\'';
    else if (ref == u"lt")
        sOut += u'<';
    else if (ref == u"gt")
        sOut += u'>';
    else if (ref.startsWith(u'#')) {
        const bool bHex = ref.size() > 1 && (ref.at(1) == u'x' || ref.at(1) == u'X');
        bool bOk = false;
        const uint uCode = ref.mid(bHex ? 2 : 1).toUInt(&bOk, bHex ? 16 : 10);
        if (!bOk || uCode == 0 || uCode > 0x10FFFF)
            return false;
        const char32_t code = uCode;
        sOut += QString::fromUcs4(&code, 1);
    } else {
        return false;
    }
    return true;
}

} // namespace

QString Tag::Attribute(QLatin1StringView sName) const
{
    for (const auto &attribute : attributes) {
        if (attribute.first.compare(sName, Qt::CaseInsensitive) == 0)
            return TagReader::DecodeEntities(attribute.second);
    }
    return QString();
}

// A reference is at most ten characters long, so the search for its ';' never
// runs further: a value full of bare '&' costs no more than one without.
QString TagReader::DecodeEntities(QStringView sText)
{
    if (!sText.contains(u'&'))
        return sText.toString();
    constexpr qsizetype kLongestReference = 10;
    QString sOut;
    sOut.reserve(sText.size());
    for (qsizetype i = 0; i < sText.size(); ++i) {
        if (sText.at(i) == u'&') {
            const qsizetype iSemi = sText.mid(i + 1, kLongestReference).indexOf(u';');
            if (iSemi > 0 && DecodeReference(sText.mid(i + 1, iSemi), sOut)) {
                i += iSemi + 1;
                continue;
            }
        }
        sOut += sText.at(i);
    }
    return sOut;
}

bool TagReader::Next(Tag &tag)
{
    const qsizetype n = m_sPage.size();
    for (;;) {
        const qsizetype iOpen = m_sPage.indexOf(u'<', m_iPos);
        if (iOpen < 0) {
            m_iPos = n;
            return false;
        }
        if (m_sPage.mid(iOpen, 4) == u"<!--") {
            const qsizetype iEnd = m_sPage.indexOf(u"-->", iOpen + 4);
            m_iPos = iEnd < 0 ? n : iEnd + 3;
            continue;
        }
        qsizetype i = iOpen + 1;
        tag.bClosing = i < n && m_sPage.at(i) == u'/';
        if (tag.bClosing)
            ++i;
        const qsizetype iName = i;
        while (i < n && (m_sPage.at(i).isLetterOrNumber() || m_sPage.at(i) == u':'))
            ++i;
        if (i == iName) {
            m_iPos = iOpen + 1;
            continue;
        }
        tag.name = m_sPage.mid(iName, i - iName);
        tag.attributes.clear();
        m_iPos = ReadAttributes(i, tag);
        return true;
    }
}

QStringView TagReader::RawTextUntilClose(QStringView sName)
{
    const qsizetype n = m_sPage.size();
    qsizetype iEnd = m_iPos;
    for (;;) {
        iEnd = m_sPage.indexOf(u"</", iEnd);
        if (iEnd < 0) {
            iEnd = n;
            break;
        }
        if (m_sPage.mid(iEnd + 2, sName.size()).compare(sName, Qt::CaseInsensitive) == 0)
            break;
        iEnd += 2;
    }
    const QStringView sText = m_sPage.mid(m_iPos, iEnd - m_iPos);
    m_iPos = iEnd;
    return sText;
}

qsizetype TagReader::ReadAttributes(qsizetype i, Tag &tag) const
{
    const qsizetype n = m_sPage.size();
    for (;;) {
        while (i < n && (m_sPage.at(i).isSpace() || m_sPage.at(i) == u'/'))
            ++i;
        if (i >= n)
            return n;
        if (m_sPage.at(i) == u'>')
            return i + 1;
        const qsizetype iName = i;
        while (i < n && !m_sPage.at(i).isSpace() && m_sPage.at(i) != u'=' && m_sPage.at(i) != u'>'
               && m_sPage.at(i) != u'/')
            ++i;
        const QStringView sName = m_sPage.mid(iName, i - iName);
        while (i < n && m_sPage.at(i).isSpace())
            ++i;
        QStringView sValue;
        if (i < n && m_sPage.at(i) == u'=') {
            ++i;
            while (i < n && m_sPage.at(i).isSpace())
                ++i;
            if (i < n && (m_sPage.at(i) == u'"' || m_sPage.at(i) == u'\'')) {
                qsizetype iEnd = m_sPage.indexOf(m_sPage.at(i), i + 1);
                if (iEnd < 0)
                    iEnd = n;
                sValue = m_sPage.mid(i + 1, iEnd - i - 1);
                i = qMin(iEnd + 1, n);
            } else {
                const qsizetype iValue = i;
                while (i < n && !m_sPage.at(i).isSpace() && m_sPage.at(i) != u'>')
                    ++i;
                sValue = m_sPage.mid(iValue, i - iValue);
            }
        }
        if (!sName.isEmpty())
            tag.attributes.append({sName, sValue});
    }
}
