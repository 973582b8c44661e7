#pragma once

#include <QClipboard>
#include <QObject>

class QLocalSocket;

// Hands each copied text that may travel to the program it serves, over a
// connection the program keeps open: one address the program downloads (of
// a supported site, or any web address while the program says so). When the
// program is gone, so is the connection, and the forwarder says so.
class ClipboardForwarder : public QObject
{
    Q_OBJECT

public:
    ClipboardForwarder(QClipboard &clipboard, QObject *parent = nullptr);

    // Connects to the program's endpoint for iNumber and hears which
    // addresses it wants. False when no program listens there.
    bool ConnectToProgram(qint64 iNumber);
    // Starts handing over; only the clipboard proper is watched, not the
    // mouse selection.
    void Start();
    void Stop();

Q_SIGNALS:
    void ProgramGone();

private:
    void ClipboardChanged(QClipboard::Mode mode);
    void ReadProgram();

    QClipboard &m_clipboard;
    QLocalSocket *m_pProgram;
    bool m_bAnySite = false;
};
