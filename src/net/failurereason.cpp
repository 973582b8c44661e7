#include "net/failurereason.h"

#include <QUrl>

#include "net/download.h"

namespace {

QString Times(int iTimes)
{
    return iTimes > 1 ? QStringLiteral(" %1 times").arg(iTimes) : QString();
}

// HOST:PORT as the connection was made, the scheme's port when none is given.
QString HostAndPort(const QUrl &url)
{
    const int iPort = url.port(url.scheme().compare(QLatin1StringView("https"),
                                                    Qt::CaseInsensitive) == 0 ? 443 : 80);
    return QStringLiteral("%1:%2").arg(url.host()).arg(iPort);
}

} // namespace

QString FailureReason::Answer(int iHttpStatus, const QString &sPhrase, int iTimes)
{
    const QString sLine = sPhrase.isEmpty() ? QString::number(iHttpStatus)
                                            : QString::number(iHttpStatus) + u' ' + sPhrase;
    return QStringLiteral("The server answered %1%2").arg(sLine, Times(iTimes));
}

QString FailureReason::Connection(QNetworkReply::NetworkError error, const QUrl &url,
                                  int iTimeoutSeconds, int iTimes)
{
    switch (error) {
    case QNetworkReply::NoError:
        return QString();
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("The connection to %1 was refused").arg(HostAndPort(url));
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("The host %1 was not found").arg(url.host());
    // Only the inactivity limit aborts a request the user did not stop.
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return QStringLiteral("%1 sent nothing for %2 s").arg(url.host()).arg(iTimeoutSeconds);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("The secure connection to %1 could not be made").arg(HostAndPort(url));
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("The address %1 cannot be fetched").arg(url.toDisplayString());
    default:
        return QStringLiteral("The connection to %1 broke off%2").arg(HostAndPort(url), Times(iTimes));
    }
}

QString FailureReason::UnfinishedAnswer(const QUrl &url)
{
    return QStringLiteral("%1 never finished its answer's headers").arg(HostAndPort(url));
}

QString FailureReason::NoVideoInPage()
{
    return QStringLiteral("The page names no video file");
}

QString FailureReason::Of(const Download &download, int iTimes)
{
    const QUrl url(download.Url(), QUrl::TolerantMode);
    if (download.BrokenAnswer())
        return UnfinishedAnswer(url);
    if (download.TransportError() != QNetworkReply::NoError)
        return Connection(download.TransportError(), url, download.InactivityTimeoutSeconds(),
                          iTimes);
    const int iStatus = download.HttpStatus();
    if (iStatus == 0 || iStatus == 200 || iStatus == 206)
        return QString();
    return Answer(iStatus, download.HttpReason(), iTimes);
}
