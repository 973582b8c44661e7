#include "net/passingfailure.h"

#include <QDateTime>
#include <QLocale>

#include "net/download.h"
#include "net/replyhelpers.h"

namespace {

constexpr qint64 kFirstWaitMs = 1000;
constexpr qint64 kLongestWaitMs = 30000;
constexpr qint64 kLongestRetryAfterSeconds = 60;

} // namespace

bool PassingFailure::IsPassingStatus(int iHttpStatus)
{
    switch (iHttpStatus) {
    case 408: case 429: case 500: case 502: case 503: case 504:
        return true;
    default:
        return false;
    }
}

bool PassingFailure::IsPassingTransportError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
    // Nothing listens there, or the name leads nowhere: trying again will
    // not change that, and the user learns it at once.
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::SslHandshakeFailedError:
        return false;
    default:
        return true;
    }
}

bool PassingFailure::MayPass(int iHttpStatus, QNetworkReply::NetworkError error)
{
    return IsPassingStatus(iHttpStatus) || (IsTransportError(error) && IsPassingTransportError(error));
}

bool PassingFailure::MayPass(const Download &download)
{
    return !download.BrokenAnswer() && MayPass(download.HttpStatus(), download.TransportError());
}

qint64 PassingFailure::PlannedWaitMs(int iRetry, int iHttpStatus, qint64 lRetryAfterSeconds)
{
    if (lRetryAfterSeconds >= 0 && lRetryAfterSeconds <= kLongestRetryAfterSeconds
        && IsPassingStatus(iHttpStatus))
        return lRetryAfterSeconds * 1000;
    const int iDoublings = qBound(0, iRetry - 1, 16);
    return qMin(kFirstWaitMs << iDoublings, kLongestWaitMs);
}

qint64 PassingFailure::ParseRetryAfter(const QByteArray &value)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return -1;
    bool bNumber = false;
    const qint64 lSeconds = text.toLongLong(&bNumber);
    if (bNumber)
        return qMax<qint64>(lSeconds, 0);
    QDateTime when = QLocale::c().toDateTime(QString::fromLatin1(text),
                                             QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!when.isValid())
        return -1;
    when.setTimeSpec(Qt::UTC);
    return qMax<qint64>(QDateTime::currentDateTimeUtc().secsTo(when), 0);
}
