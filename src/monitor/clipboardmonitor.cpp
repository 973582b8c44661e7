#include "monitor/clipboardmonitor.h"

#include <QProcess>
#include <QTimer>

#include "core/cliphandover.h"
#include "core/iskin.h"
#include "core/programfiles.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "monitor/addressfield.h"
#include "monitor/handoverendpoint.h"
#include "monitor/monitorlog.h"
#include "session/downloadqueue.h"
#include "settings/programsettings.h"
#include "sites/anysite.h"
#include "sites/sitedetect.h"

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
    return ProgramFiles::ClipWatcher();
}

void ClipboardMonitor::Monitor(bool bState)
{
    m_settings.bURLMonitor = bState;
    if (!bState) {
        m_bStartPending = false;
        StartWatcher(QString::fromLatin1(ClipHandOver::kExitArgument));
        return;
    }
    // Starting a program waits until it runs (10 ms and more): at start-up
    // that would hold back the window's first frame, so the watcher starts
    // once the event loop turns. A stop asked for before then cancels it.
    if (m_bStartPending)
        return;
    m_bStartPending = true;
    QTimer::singleShot(0, this, [this] {
        if (!m_bStartPending)
            return;
        m_bStartPending = false;
        StartWatcher(QString::number(m_txtMonitor.Number()));
    });
}

void ClipboardMonitor::StartWatcher(const QString &sArgument) const
{
    QProcess watcher;
    watcher.setProgram(WatcherPath());
    watcher.setArguments({sArgument});
    if (!watcher.startDetached()) {
        qCWarning(lcMonitor, "Cannot start the clipboard watcher %s %s: %s",
                  qPrintable(WatcherPath()), qPrintable(sArgument),
                  qPrintable(watcher.errorString()));
        return;
    }
    qCDebug(lcMonitor, "Started the clipboard watcher with %s", qPrintable(sArgument));
}

void ClipboardMonitor::txtMonitor_Change()
{
    // The watcher forwards only wanted addresses; a text that got here all
    // the same (another watcher, a setting changed meanwhile) is dropped.
    const QString sText = m_txtMonitor.Text().trimmed();
    if (!modDownload::IsWanted(sText, m_settings.bAnySite))
        return;
    // A copied link of another site is no request to fetch it: fetching
    // would use up a one-time link (a password reset, a sign-in). It is
    // listed and waits for Start.
    if (modDownload::DetectSite(sText) == modDownload::siteNone)
        ListAddress(sText);
    else
        TakeAddress(sText);
}

void ClipboardMonitor::TakeAddress(const QString &sText)
{
    ListAddress(sText);
    if (!m_run.bDownloading())
        m_queue.tmrDownload.start();
}

void ClipboardMonitor::ListAddress(const QString &sText)
{
    m_adder.AddURL(sText);
    AddressField::ShowHandedAddress(m_skin, m_adder, sText);
}
