#include "gui/itemactions.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

#include "core/partfile.h"
#include "desktop/filemanager.h"
#include "gui/downloadgrid.h"
#include "list/downloaditem.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/gridrow.h"
#include "session/downloadqueue.h"

ItemActions::ItemActions(const Parts &parts, QAction *pRetry, QObject *parent)
    : QObject(parent)
    , m_grid(parts.grid)
    , m_store(parts.store)
    , m_queue(parts.queue)
    , m_fileManager(parts.fileManager)
    , m_pRetry(pRetry)
    , m_pOpen(new QAction(tr("Open"), &parts.grid))
    , m_pShowInFolder(new QAction(tr("Show in folder"), &parts.grid))
    , m_pCopyAddress(new QAction(tr("Copy address"), &parts.grid))
    , m_open([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    m_pOpen->setObjectName(QStringLiteral("openAction"));
    m_pShowInFolder->setObjectName(QStringLiteral("showInFolderAction"));
    m_pCopyAddress->setObjectName(QStringLiteral("copyAddressAction"));
    connect(m_pOpen, &QAction::triggered, this, &ItemActions::OpenChosen);
    connect(m_pShowInFolder, &QAction::triggered, this, &ItemActions::ShowChosen);
    connect(m_pCopyAddress, &QAction::triggered, this, &ItemActions::CopyChosen);
    // The item's own entries come first, before the list's.
    const QList<QAction *> listActions = parts.grid.actions();
    parts.grid.insertActions(listActions.isEmpty() ? nullptr : listActions.first(),
                             {m_pOpen, m_pShowInFolder, m_pCopyAddress});
    connect(&parts.grid, &QAbstractItemView::doubleClicked, this, &ItemActions::CellDoubleClicked);
    parts.grid.installEventFilter(this);
}

bool ItemActions::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (pWatched != &m_grid || pEvent->type() != QEvent::ContextMenu)
        return false;
    UpdateEnabled();
    QMenu::exec(m_grid.actions(), static_cast<QContextMenuEvent *>(pEvent)->globalPos(), nullptr,
                &m_grid);
    EnableAll();
    return true;
}

const DownloadItem *ItemActions::Chosen() const
{
    const QModelIndexList cells = m_grid.Selected();
    if (cells.isEmpty())
        return nullptr;
    return m_store.ItemBySerial(GridRow(m_grid.DataSource(), cells.first().row()).Serial());
}

QString ItemActions::FileOf(const DownloadItem *pItem) const
{
    if (!pItem || pItem->State() != ItemState::Complete)
        return QString();
    const QString sPath = m_queue.LocalPathFor(pItem->FileName);
    return QFileInfo(sPath).isFile() ? sPath : QString();
}

QString ItemActions::SomethingToShowOf(const DownloadItem *pItem) const
{
    const QString sFile = FileOf(pItem);
    if (!sFile.isEmpty() || !pItem)
        return sFile;
    const QString sPart = PartFile::PartPathFor(m_queue.LocalPathFor(pItem->FileName));
    return QFileInfo(sPart).isFile() ? sPart : QString();
}

void ItemActions::UpdateEnabled()
{
    const DownloadItem *pItem = Chosen();
    m_pOpen->setEnabled(!FileOf(pItem).isEmpty());
    m_pShowInFolder->setEnabled(!SomethingToShowOf(pItem).isEmpty());
    m_pCopyAddress->setEnabled(pItem != nullptr);
    bool bRetry = false;
    for (const QModelIndex &cell : m_grid.Selected()) {
        const DownloadItem *pSelected =
            m_store.ItemBySerial(GridRow(m_grid.DataSource(), cell.row()).Serial());
        bRetry = bRetry
            || (pSelected
                && (pSelected->State() == ItemState::Failed
                    || pSelected->State() == ItemState::Cancelled));
    }
    if (m_pRetry)
        m_pRetry->setEnabled(bRetry);
}

void ItemActions::EnableAll()
{
    for (QAction *pAction : {m_pOpen, m_pShowInFolder, m_pCopyAddress, m_pRetry}) {
        if (pAction)
            pAction->setEnabled(true);
    }
}

void ItemActions::CellDoubleClicked(const QModelIndex &cell)
{
    if (cell.column() != DownloadViewModel::colVideo_URL
        && cell.column() != DownloadViewModel::colFileSize)
        return;
    const QString sFile =
        FileOf(m_store.ItemBySerial(GridRow(m_grid.DataSource(), cell.row()).Serial()));
    if (!sFile.isEmpty())
        m_open(QUrl::fromLocalFile(sFile));
}

void ItemActions::OpenChosen()
{
    const QString sFile = FileOf(Chosen());
    if (!sFile.isEmpty())
        m_open(QUrl::fromLocalFile(sFile));
}

void ItemActions::ShowChosen()
{
    const QString sPath = SomethingToShowOf(Chosen());
    if (sPath.isEmpty())
        return;
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(sPath).absolutePath());
    m_fileManager.ShowItem(sPath, [open = m_open, folder] { open(folder); });
}

void ItemActions::CopyChosen()
{
    if (const DownloadItem *pItem = Chosen())
        QGuiApplication::clipboard()->setText(pItem->PageUrl().trimmed());
}
