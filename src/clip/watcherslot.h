#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The place of the one running watcher: a local socket in the user's runtime
// directory. A watcher that takes the place first asks the one holding it to
// end and waits until it has, so no copied text is handed over twice.
class WatcherSlot : public QObject
{
    Q_OBJECT

public:
    explicit WatcherSlot(QObject *parent = nullptr);
    ~WatcherSlot() override;

    // Ends the watcher holding the place (if any) and takes it; a claim that
    // another watcher has under way is waited for first. False (and a
    // warning logged) when the place could not be had.
    bool Claim();
    // Lets go of the place.
    void Release();

    // Asks the running watcher, if there is one, to end, and waits until it
    // has let go of its place. False when it did not answer in time.
    static bool EndRunningWatcher();

Q_SIGNALS:
    // Another watcher asked this one to end.
    void EndRequested();

private:
    void AcceptConnections();
    void ReadRequest(QLocalSocket *pSocket);

    QLocalServer *m_pServer;
};
