#include "monitor/clipboardpoller.h"

#include "core/iskin.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "monitor/addressfield.h"
#include "session/downloadqueue.h"
#include "settings/programsettings.h"
#include "sites/anysite.h"
#include "sites/sitedetect.h"

ClipboardPoller::ClipboardPoller(const Parts &parts, std::function<QString()> readClipboard,
                                 QObject *parent)
    : QObject(parent)
    , m_adder(parts.adder)
    , m_run(parts.run)
    , m_queue(parts.queue)
    , m_skin(parts.skin)
    , m_settings(parts.settings)
    , m_readClipboard(std::move(readClipboard))
{
    tmrMonitor.setInterval(2000);
    connect(&tmrMonitor, &QTimer::timeout, this, &ClipboardPoller::tmrMonitor_Timer);
}

void ClipboardPoller::chkMonitor_Click()
{
    sLastClipText.clear();
    if (tmrMonitor.isActive())
        tmrMonitor.stop();
    else
        tmrMonitor.start();
    m_settings.bURLMonitor = tmrMonitor.isActive();
}

void ClipboardPoller::tmrMonitor_Timer()
{
    const QString sText = m_readClipboard ? m_readClipboard() : QString();
    if (sText != sLastClipText && modDownload::IsWanted(sText, m_settings.bAnySite)) {
        const QString sAddress = sText.trimmed();
        m_adder.AddURL(sAddress);
        AddressField::ShowHandedAddress(m_skin, m_adder, sAddress);
        // Remembered before the run starts: the polls that run nested
        // inside it must not list the same text again.
        sLastClipText = sText;
        // Another site's link waits for Start, as from the watcher.
        if (!m_run.bDownloading() && modDownload::DetectSite(sAddress) != modDownload::siteNone)
            m_queue.cmdStartDownload_Click();
    }
    sLastClipText = sText;
}
