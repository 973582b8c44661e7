#include "net/youtuberesolver.h"

#include "core/imessagebox.h"
#include "core/modglobal.h"

#include <QEventLoop>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// The answer was read with 16-bit positions; a Location header or target
// beyond this is not taken.
constexpr qsizetype kLastPosition = 32767;

} // namespace

YoutubeResolver::YoutubeResolver(IMessageBox &msgBox, QObject *parent)
    : QObject(parent)
    , m_msgBox(msgBox)
{
    connect(&WS, &QTcpSocket::connected, this, &YoutubeResolver::WS_Connect);
    connect(&WS, &QTcpSocket::readyRead, this, &YoutubeResolver::WS_DataArrival);
    connect(&WS, &QTcpSocket::errorOccurred, this, &YoutubeResolver::WS_Error);
    connect(&WS, &QTcpSocket::disconnected, this, &YoutubeResolver::WS_Close);
}

YoutubeResolver::~YoutubeResolver()
{
    WS.disconnect(this);
    WS.abort();
}

QString YoutubeResolver::GetYoutubePathLnik(const QString &sLink)
{
    // The variables and the socket serve one resolution; a second one started
    // from an event handler during the wait would leave the first waiting on
    // an answer that is no longer its own.
    if (m_pWait)
        return QString();

    wsHost = sLink;
    // A player address without a path must not reuse the previous video's.
    wsLink.clear();
    modGlobal::SplitUrl(wsHost, wsLink);
    sYoutubeDownLink.clear();

    bFindYoutubeFinish = false;
    m_outcome = Outcome::Pending;

    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, this, &YoutubeResolver::GiveUp);
    m_pWait = &wait;
    limit.start(m_iTimeLimitMs);
    Connect();
    if (!bFindYoutubeFinish)
        wait.exec();
    m_pWait = nullptr;
    // The loop can also be ended from outside (the program quitting).
    GiveUp();

    switch (m_outcome) {
    case Outcome::Answered:
        if (sYoutubeDownLink.isEmpty())
            return QString();
        return QLatin1StringView("http://") + wsHost + sYoutubeDownLink;
    case Outcome::ConnectionError:
        // The bare host is no file address: handing it on would have the
        // queue download the site's front page as if it were the video.
    case Outcome::Pending:
    case Outcome::NoAnswer:
        break;
    }
    return QString();
}

void YoutubeResolver::Connect()
{
    {
        // Dropping an old connection is no event of the new resolution.
        const QSignalBlocker quiet(WS);
        WS.abort();
    }
    WS.connectToHost(wsHost, m_iPort);
}

void YoutubeResolver::WS_Connect()
{
    const QString sRequest =
        QLatin1StringView("GET ") + wsLink + QLatin1StringView(" HTTP/1.1\r\n")
        + QLatin1StringView("Host: ") + wsHost + QLatin1StringView("\r\n")
        + QLatin1StringView("Accept: text/xml,application/xml,application/xhtml+xml,text/html;"
                            "q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5\r\n"
                            "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; "
                            "rv:1.8.1.9) Gecko/20071025 Firefox/2.0.0.9\r\n"
                            "Accept -Encoding: gzip , deflate\r\n"
                            "Accept-Language: en-us,en;q=0.5\r\n"
                            "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
                            "Connection: Close\r\n"
                            "\r\n");
    WS.write(sRequest.toLatin1());
}

void YoutubeResolver::WS_DataArrival()
{
    if (m_outcome != Outcome::Pending)
        return;
    sYoutubeDownLink.clear();
    // Data seen while the socket is on its way out stays unread; the close
    // that follows ends the wait.
    if (WS.state() != QAbstractSocket::ConnectedState)
        return;
    m_outcome = Outcome::Answered;
    // Only the first portion of the answer is looked at: the redirect's
    // header comes at its start.
    const QByteArray R = WS.readAll();
    WS.abort();
    sYoutubeDownLink = DownLinkFromAnswer(R);
    EndWait();
}

void YoutubeResolver::WS_Error(QAbstractSocket::SocketError error)
{
    if (m_outcome != Outcome::Pending)
        return;
    // A server that hangs up without answering is no connection failure to
    // tell the user about; it just gave no redirect.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        GiveUp();
        return;
    }
    // Claimed before the box: its event loop may run the time limit, which
    // must not turn a reported failure into a silent one.
    m_outcome = Outcome::ConnectionError;
    m_msgBox.MsgBox(IMessageBox::Icon::None, QString(),
                    tr("Connection Error,") + WS.errorString(),
                    IMessageBox::Buttons::OK);
    EndWait();
}

void YoutubeResolver::WS_Close()
{
    if (m_outcome == Outcome::Pending)
        GiveUp();
}

void YoutubeResolver::GiveUp()
{
    if (m_outcome != Outcome::Pending)
        return;
    m_outcome = Outcome::NoAnswer;
    // A late answer must not land in a resolution that has already ended.
    WS.abort();
    EndWait();
}

void YoutubeResolver::EndWait()
{
    bFindYoutubeFinish = true;
    if (m_pWait)
        m_pWait->quit();
}

QString YoutubeResolver::DownLinkFromAnswer(const QByteArray &R)
{
    const QString sAnswer = QString::fromLatin1(R);
    const qsizetype f = sAnswer.indexOf(QLatin1StringView("Location:"), 0, Qt::CaseInsensitive) + 1;
    if (f == 0 || f + 10 > kLastPosition)
        return QString();
    const qsizetype g = sAnswer.indexOf(QLatin1StringView("\r\n"), f - 1) + 1;
    // No line end after the header, or one before the target could start.
    if (g == 0 || g > kLastPosition || g < f + 10)
        return QString();
    const QString sTarget = sAnswer.mid(f + 9, g - (f + 10));
    const qsizetype h = sTarget.indexOf(u'?');
    if (h < 0)
        return QString();
    return QLatin1StringView("/get_video") + sTarget.mid(h);
}
