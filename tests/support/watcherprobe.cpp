#include "watcherprobe.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTest>

#include "core/cliphandover.h"

bool WatcherProbe::Watching()
{
    QLocalSocket socket;
    socket.connectToServer(ClipHandOver::WatcherEndpoint());
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("ping\n");
    socket.flush();
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(5000);
}

QList<qint64> WatcherProbe::Processes(const QString &sExe, const QString &sArgument)
{
    QList<qint64> pids;
    const QByteArray wanted = QFile::encodeName(sExe) + '\0' + sArgument.toLocal8Bit() + '\0';
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &sEntry : entries) {
        bool bPid = false;
        const qint64 iPid = sEntry.toLongLong(&bPid);
        if (!bPid)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(iPid));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll() == wanted)
            pids << iPid;
    }
    return pids;
}

bool WatcherProbe::WaitUntilGone(qint64 iPid, int iTimeoutMs)
{
    // A process that has ended but not been reaped has an empty command line.
    const auto gone = [iPid] {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(iPid));
        return !cmdline.open(QIODevice::ReadOnly) || cmdline.readAll().isEmpty();
    };
    return QTest::qWaitFor(gone, iTimeoutMs);
}
