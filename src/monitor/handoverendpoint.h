#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The program's end of the hand-over from the clipboard watcher: a local
// socket in the user's runtime directory whose name carries a number. Each
// text that arrives is held as Text() while TextChanged runs, then emptied.
class HandOverEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit HandOverEndpoint(qint64 iNumber, QObject *parent = nullptr);
    ~HandOverEndpoint() override;

    // Starts listening. False (and a warning logged) when the endpoint
    // cannot be made; the watcher then has nothing to reach and monitoring
    // does not happen.
    bool Listen();
    void Close();
    qint64 Number() const { return m_iNumber; }
    QString Text() const { return m_sText; }
    // Tells the watchers, now and whenever one connects, whether any web
    // address is wanted or only those of supported sites.
    void SetAnySite(bool bAnySite);

Q_SIGNALS:
    // A text arrived (or the box was emptied again: then Text() is empty).
    void TextChanged();

private:
    void AcceptConnections();
    void ReadFrames(QLocalSocket *pSocket);
    void SetText(const QString &sText);

    qint64 m_iNumber;
    QLocalServer *m_pServer;
    QString m_sText;
    bool m_bAnySite = false;
    // What each watcher connection has sent beyond its last whole frame.
    QHash<QLocalSocket *, QByteArray> m_buffers;
};
