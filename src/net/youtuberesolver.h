#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <QTcpSocket>

class IMessageBox;
class QEventLoop;

// Turns a YouTube player address into the address of its video file. The
// player address answers with a redirect whose target carries the video's
// parameters; those go behind the fixed path "/get_video" on the same host.
// The request is written by hand on a plain socket so that it goes out byte
// for byte as the site expects it.
//
// GetYoutubePathLnik waits for the answer in a local event loop: the window
// stays responsive and the wait costs no processor time. One resolution runs
// at a time.
class YoutubeResolver : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kHttpPort = 80;
    static constexpr int kDefaultTimeLimitMs = 30000;

    explicit YoutubeResolver(IMessageBox &msgBox, QObject *parent = nullptr);
    ~YoutubeResolver() override;

    // "http://" + host + "/get_video?..." when the redirect was read; empty
    // text after a connection error (reported in a message box), when no
    // usable answer came within the time limit, or when a resolution is
    // already running.
    QString GetYoutubePathLnik(const QString &sLink);

    // Whether the last resolution got an answer from the server, whether or
    // not it held a redirect: false after a connection error, a hang-up
    // without an answer, the time limit or a cancel, which are failures of
    // the network rather than of the page.
    bool GotAnswer() const { return m_outcome == Outcome::Answered; }

    // Ends a running resolution at once, as one without an answer.
    void Cancel() { GiveUp(); }

    // Drops whatever the socket is doing and starts connecting to wsHost.
    void Connect();

    // The program always talks to port 80; tests point it at their own server.
    void SetPort(quint16 iPort) { m_iPort = iPort; }
    void SetTimeLimitMs(int iMilliseconds) { m_iTimeLimitMs = iMilliseconds; }

    // State of the current (or last) resolution.
    QString wsHost;            // host of the player address
    QString wsLink;            // path of the player address, from its first "/"
    bool bFindYoutubeFinish = false;
    QString sYoutubeDownLink;  // "/get_video" + the redirect's query, or empty

private:
    enum class Outcome { Pending, Answered, ConnectionError, NoAnswer };

    void WS_Connect();
    void WS_DataArrival();
    void WS_Error(QAbstractSocket::SocketError error);
    void WS_Close();
    void GiveUp();
    void EndWait();
    static QString DownLinkFromAnswer(const QByteArray &R);

    IMessageBox &m_msgBox;
    QTcpSocket WS;
    quint16 m_iPort = kHttpPort;
    int m_iTimeLimitMs = kDefaultTimeLimitMs;
    // Events of a socket nobody waits on are ignored.
    Outcome m_outcome = Outcome::NoAnswer;
    QEventLoop *m_pWait = nullptr;
};
