#include "xvfbserver.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool XvfbServer::Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty();
}

bool XvfbServer::Start()
{
    // With -displayfd the server picks a free display itself and says which
    // on our pipe once it accepts clients, so there is nothing to wait out.
    // Without -noreset it would start over whenever its last client leaves,
    // refusing the next program that connects meanwhile.
    m_process.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                     QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("640x480x24")});
    if (!m_process.waitForStarted(30000)) {
        m_sError = QStringLiteral("Xvfb did not start: ") + m_process.errorString();
        return false;
    }
    QByteArray number;
    while (!number.endsWith('\n')) {
        if (!m_process.waitForReadyRead(30000)) {
            m_sError = QStringLiteral("Xvfb gave no display number: ")
                       + QString::fromLocal8Bit(m_process.readAllStandardError());
            return false;
        }
        number += m_process.readAllStandardOutput();
    }
    m_sDisplay = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

XvfbServer::~XvfbServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QProcessEnvironment XvfbServer::FreshUserEnvironment(const QString &sRoot) const
{
    const QDir root(sRoot);
    const QString sRun = root.filePath(QStringLiteral("run"));
    if (!QDir().mkpath(sRun) || !QDir().mkpath(root.filePath(QStringLiteral("home")))
        || !QFile::setPermissions(sRun, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return {};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_sDisplay);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), sRun);
    environment.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root.filePath(QStringLiteral("cache")));
    return environment;
}
