#include "privatebus.h"

#include <QStandardPaths>

PrivateBus::~PrivateBus()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished(10000);
}

bool PrivateBus::Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
}

bool PrivateBus::Start()
{
    m_process.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
    if (!m_process.waitForStarted(30000))
        return false;
    QByteArray address;
    while (!address.endsWith('\n') && m_process.waitForReadyRead(30000))
        address += m_process.readAllStandardOutput();
    m_sAddress = QString::fromLatin1(address.trimmed());
    return !m_sAddress.isEmpty();
}
