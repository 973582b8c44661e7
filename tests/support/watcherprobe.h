#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// Looks at clipboard watchers from outside, the way a test can.
namespace WatcherProbe {

// True when a watcher holds the place of the running one and its event loop
// runs, so it is watching: it is sent a request it does not know, which it
// answers by dropping the connection.
bool Watching();

// The process ids of the running copies of the watcher program sExe started
// with sArgument.
QList<qint64> Processes(const QString &sExe, const QString &sArgument);

// Waits (events processed) until process iPid is gone; false when it is not
// gone within iTimeoutMs.
bool WaitUntilGone(qint64 iPid, int iTimeoutMs);

} // namespace WatcherProbe
