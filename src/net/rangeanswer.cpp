#include "net/rangeanswer.h"

#include <QNetworkReply>
#include <QNetworkRequest>

#include "core/partorigin.h"
#include "net/headerblock.h"

QString RangeAnswer::ValidatorOf(const QNetworkReply &reply)
{
    const QByteArray eTag = reply.rawHeader("ETag").trimmed();
    if (!eTag.isEmpty() && !eTag.startsWith("W/"))
        return QString::fromLatin1(eTag);
    return QString::fromLatin1(reply.rawHeader("Last-Modified").trimmed());
}

RangeAnswer::ContentRange RangeAnswer::Parse(const QByteArray &value)
{
    ContentRange range;
    const QByteArray text = value.trimmed();
    if (!text.startsWith("bytes "))
        return range;
    const qsizetype iDash = text.indexOf('-');
    const qsizetype iSlash = text.indexOf('/');
    if (iDash < 0 || iSlash < iDash)
        return range;
    range.lStart = HeaderBlock::ParseLength(QByteArrayView(text).sliced(6, iDash - 6));
    range.lTotal = HeaderBlock::ParseLength(QByteArrayView(text).sliced(iSlash + 1));
    return range;
}

bool RangeAnswer::Continues(const QNetworkReply &reply, qint64 lFrom, const PartOrigin &origin)
{
    if (reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 206)
        return false;
    const ContentRange range = Parse(reply.rawHeader("Content-Range"));
    if (range.lStart != lFrom || range.lTotal < 0 || range.lTotal != origin.lTotal)
        return false;
    const QByteArray eTag = reply.rawHeader("ETag").trimmed();
    const QByteArray lastModified = reply.rawHeader("Last-Modified").trimmed();
    const QByteArray stored = origin.sValidator.toLatin1();
    return !stored.isEmpty()
        && ((!eTag.startsWith("W/") && eTag == stored) || lastModified == stored);
}
