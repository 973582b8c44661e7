#include "net/headerblock.h"

#include <QNetworkReply>
#include <QStringDecoder>

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

bool HeaderBlock::Contains(QLatin1StringView sKey) const
{
    return m_sText.contains(sKey, Qt::CaseInsensitive);
}
