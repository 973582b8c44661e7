#include "gui/desktopnotices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

#include "desktop/filemanager.h"
#include "desktop/notifier.h"
#include "desktop/sleepinhibitor.h"
#include "list/downloaditem.h"
#include "list/downloadliststore.h"
#include "session/downloadqueue.h"
#include "settings/programsettings.h"

DesktopNotices::DesktopNotices(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_window(parts.window)
    , m_store(parts.store)
    , m_settings(parts.settings)
    , m_notifier(parts.notifier)
    , m_fileManager(parts.fileManager)
    , m_open([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    SleepInhibitor &inhibitor = parts.inhibitor;
    connect(&parts.queue, &DownloadQueue::RunStarted, &inhibitor, &SleepInhibitor::Hold);
    connect(&parts.queue, &DownloadQueue::RunEnded, this,
            [this, &inhibitor](int iCompleted, int iFailed) {
                inhibitor.Release();
                if (!m_settings.bNotify || iCompleted + iFailed == 0)
                    return;
                m_notifier.Notify(tr("Downloads finished"),
                                  tr("%1 complete, %2 failed").arg(iCompleted).arg(iFailed));
            });
    connect(&parts.queue, &DownloadQueue::ItemCompleted, this,
            [this](int, const QString &sPath) {
                if (m_settings.bNotify && WindowOutOfSight())
                    m_notifier.Notify(tr("Download complete"), QFileInfo(sPath).fileName(),
                                      sPath);
            });
    connect(&parts.queue, &DownloadQueue::ItemFailed, this,
            [this](int iID, const QString &sReason) {
                if (m_settings.bNotify && WindowOutOfSight())
                    m_notifier.Notify(tr("Download failed"),
                                      AddressOf(iID) + QLatin1Char('\n') + sReason);
            });
    connect(&m_notifier, &Notifier::OpenRequested, this,
            [this](const QString &sFile) { m_open(QUrl::fromLocalFile(sFile)); });
    connect(&m_notifier, &Notifier::ShowRequested, this, [this](const QString &sFile) {
        const QUrl folder = QUrl::fromLocalFile(QFileInfo(sFile).absolutePath());
        m_fileManager.ShowItem(sFile, [open = m_open, folder] { open(folder); });
    });
}

bool DesktopNotices::WindowOutOfSight() const
{
    return !m_window.isVisible() || m_window.isMinimized() || !m_window.isActiveWindow();
}

QString DesktopNotices::AddressOf(int iID) const
{
    // A failed item may have no file name yet; its address it always has.
    const DownloadItem *pItem = m_store.ItemAt(iID - 1);
    return pItem ? pItem->PageUrl().trimmed() : QString();
}
