#include "net/headerblock.h"

#include <QNetworkReply>
#include <QStringDecoder>

#include <limits>

namespace {

// Header bytes are mostly ASCII; a server that sends a UTF-8 file name gets it
// back intact, anything else is taken byte for byte.
QString DecodeHeaderBytes(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString sText = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return sText;
}

// The value of "filename*=" : charset, an optional language, then the name
// percent-encoded; it ends at the next ";" or blank.
QString DecodeExtendedValue(QStringView sValue)
{
    qsizetype iEnd = 0;
    while (iEnd < sValue.size() && sValue[iEnd] != u';' && !sValue[iEnd].isSpace())
        ++iEnd;
    const QStringView sText = sValue.left(iEnd);
    const qsizetype iFirst = sText.indexOf(u'\'');
    const qsizetype iSecond = iFirst < 0 ? -1 : sText.indexOf(u'\'', iFirst + 1);
    if (iSecond < 0)
        return QString();
    const QString sCharset = sText.left(iFirst).toString().toLower();
    QByteArray bytes;
    const QStringView sEncoded = sText.mid(iSecond + 1);
    for (qsizetype i = 0; i < sEncoded.size(); ++i) {
        const char16_t c = sEncoded[i].unicode();
        if (c == u'%' && i + 2 < sEncoded.size()) {
            bool bHex = false;
            const int iByte = sEncoded.mid(i + 1, 2).toInt(&bHex, 16);
            if (!bHex)
                return QString();
            bytes += char(iByte);
            i += 2;
        } else if (c < 0x80) {
            bytes += char(c);
        } else {
            return QString();
        }
    }
    if (sCharset == QLatin1StringView("iso-8859-1"))
        return QString::fromLatin1(bytes);
    if (sCharset != QLatin1StringView("utf-8"))
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString sName = utf8.decode(bytes);
    return utf8.hasError() ? QString() : sName;
}

// The plain "filename=" value: a quoted string (backslash escapes the next
// character) or a token that ends at ";".
QString PlainValue(QStringView sValue)
{
    sValue = sValue.trimmed();
    if (sValue.startsWith(u'"')) {
        QString sName;
        for (qsizetype i = 1; i < sValue.size(); ++i) {
            const QChar c = sValue[i];
            if (c == u'"')
                break;
            if (c == u'\\' && i + 1 < sValue.size())
                sName.append(sValue[++i]);
            else
                sName.append(c);
        }
        return sName;
    }
    const qsizetype iEnd = sValue.indexOf(u';');
    return (iEnd < 0 ? sValue : sValue.left(iEnd)).trimmed().toString();
}

} // namespace

HeaderBlock HeaderBlock::FromReply(const QNetworkReply &reply)
{
    QByteArray block = "HTTP/1.1 ";
    block += QByteArray::number(reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
    block += ' ';
    block += reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    block += "\r\n";
    for (const auto &[name, value] : reply.rawHeaderPairs()) {
        block += name;
        block += ": ";
        block += value;
        block += "\r\n";
    }
    return HeaderBlock(DecodeHeaderBytes(block));
}

QString HeaderBlock::ValueAfter(QLatin1StringView sKey) const
{
    const qsizetype iFound = m_sText.indexOf(sKey, 0, Qt::CaseInsensitive);
    if (iFound < 0)
        return QString();
    const qsizetype iStart = iFound + sKey.size();
    const qsizetype iEnd = m_sText.indexOf(QLatin1StringView("\r\n"), iStart);
    // Never empty-but-null: a header present with no value is still present.
    QString sValue = m_sText.mid(iStart, iEnd < 0 ? -1 : iEnd - iStart);
    return sValue.isNull() ? QString(QLatin1StringView("")) : sValue;
}

QString HeaderBlock::SuggestedFileName() const
{
    const QString sExtended = ValueAfter(QLatin1StringView("filename*="));
    if (!sExtended.isNull()) {
        const QString sName = DecodeExtendedValue(sExtended);
        if (!sName.isEmpty())
            return sName;
    }
    const QString sPlain = ValueAfter(QLatin1StringView("filename="));
    return sPlain.isNull() ? QString() : PlainValue(sPlain);
}

qint64 HeaderBlock::ParseLength(QByteArrayView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return -1;
    qint64 lValue = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        if (lValue > (std::numeric_limits<qint64>::max() - (c - '0')) / 10)
            return -1;
        lValue = lValue * 10 + (c - '0');
    }
    return lValue;
}

bool HeaderBlock::Contains(QLatin1StringView sKey) const
{
    return m_sText.contains(sKey, Qt::CaseInsensitive);
}
