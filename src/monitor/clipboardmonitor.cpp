#include "monitor/clipboardmonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include "core/cliphandover.h"
#include "core/iskin.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "monitor/handoverendpoint.h"
#include "session/downloadqueue.h"
#include "settings/programsettings.h"

ClipboardMonitor::ClipboardMonitor(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_txtMonitor(parts.txtMonitor)
    , m_adder(parts.adder)
    , m_run(parts.run)
    , m_queue(parts.queue)
    , m_skin(parts.skin)
    , m_settings(parts.settings)
{
    connect(&m_txtMonitor, &HandOverEndpoint::TextChanged, this,
            &ClipboardMonitor::txtMonitor_Change);
}

QString ClipboardMonitor::WatcherPath() const
{
    if (!m_sWatcherPath.isEmpty())
        return m_sWatcherPath;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("clipvane-clip"));
}

void ClipboardMonitor::Monitor(bool bState)
{
    const QString sArgument = bState ? QString::number(m_txtMonitor.Number())
                                     : QString::fromLatin1(ClipHandOver::kExitArgument);
    QProcess::startDetached(WatcherPath(), {sArgument});
    m_settings.bURLMonitor = bState;
}

void ClipboardMonitor::txtMonitor_Change()
{
    const QString sText = m_txtMonitor.Text();
    if (!sText.isEmpty())
        TakeAddress(sText);
}

void ClipboardMonitor::TakeAddress(const QString &sText)
{
    m_adder.AddURL(sText);
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.video_url"), sText);
    if (!m_run.bDownloading)
        m_queue.tmrDownload.start();
}
