#include "peakmemory.h"

#include <QByteArray>
#include <QFile>
#include <QList>

void ResetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

namespace {

// One "Name:   1234 kB" line of /proc/self/status, in KiB.
qint64 StatusFieldKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

qint64 PeakMemoryKiB()
{
    return StatusFieldKiB(QByteArrayLiteral("VmHWM:"));
}

qint64 ResidentMemoryKiB()
{
    return StatusFieldKiB(QByteArrayLiteral("VmRSS:"));
}
