#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the clipboard watcher and the program agree on: where their local
// sockets live, which copied texts travel, and how a text is framed on the
// wire. Both sides keep to one rule so that neither trusts the other blindly.
class ClipHandOver
{
public:
    static constexpr int kMaxTextLength = 2048;
    // The one argument that asks the running watcher to end.
    static constexpr char kExitArgument[] = "Exit";
    // What a watcher sends to the running one to make it end.
    static constexpr char kExitRequest[] = "exit\n";
    // What the program tells its watcher when it connects and at every
    // change: whether any web address travels ("Any Site" on) or only those
    // of supported sites.
    static constexpr char kAnySiteOn = '1';
    static constexpr char kAnySiteOff = '0';

    // "clipvane" in the user's runtime directory, made reachable by the user
    // alone; empty when there is no such directory.
    static QString SocketDir();
    // The program's endpoint for the number the watcher is started with.
    static QString ProgramEndpoint(qint64 iNumber);
    // The endpoint of the one running watcher.
    static QString WatcherEndpoint();

    // The text to hand over: one line once a single trailing line break is
    // taken off, not empty and at most kMaxTextLength characters long.
    static std::optional<QString> Forwardable(const QString &sText);

    // A forwardable text as it travels: UTF-8 and a line feed.
    static QByteArray Frame(const QString &sText);
    // Takes the first whole frame off the front of buffer. Returns false when
    // the buffer holds none yet; sets bOverlong when what is buffered can no
    // longer be a frame, and the connection should be dropped.
    static bool TakeFrame(QByteArray &buffer, QString &sText, bool &bOverlong);
};
