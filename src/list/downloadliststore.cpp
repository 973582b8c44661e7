#include "list/downloadliststore.h"

#include <QSet>

#include <exception>
#include <new>

#include "core/doevents.h"
#include "core/imessagebox.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"

namespace {

// Seven passes in a row: a long rebuild must leave room for every handler
// that is waiting, however many are queued behind each other.
void DoEventsSevenTimes()
{
    for (int i = 0; i < 7; ++i)
        DoEvents();
}

} // namespace

DownloadListStore::DownloadListStore(IDownloadGrid &grid, IMessageBox &messageBox,
                                     QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_messageBox(messageBox)
{
}

DownloadListStore::~DownloadListStore()
{
    if (m_rsDownloadView && m_grid.DataSource() == m_rsDownloadView.get())
        m_grid.ClearDataSource();
}

bool DownloadListStore::AddDownloadItem(const QString &sVideo_URL, const QString &sFileName,
                                        QString &sStatus, QString &sFileSize)
{
    const int n = UBound();
    for (const DownloadItem &item : std::as_const(m_DownloadList)) {
        if (item.PageUrl() == sVideo_URL)
            return true;
    }
    if (n + 1 >= kMaxItems)
        return false;

    if (sStatus.isEmpty())
        sStatus = ItemStatus::kWaiting;
    if (sFileSize.isEmpty())
        sFileSize = QStringLiteral("????");

    try {
        DownloadItem item;
        item.ID = static_cast<qint16>(n + 2);
        item.Video_URL = sVideo_URL;
        item.FileName = sFileName;
        item.Status = sStatus;
        item.FileSize = sFileSize;
        item.uSerial = m_uLastSerial + 1;
        m_indexOfSerial.insert(item.uSerial, n + 1);
        m_DownloadList.append(std::move(item));
        ++m_uLastSerial;
    } catch (const std::bad_alloc &) {
        m_indexOfSerial.remove(m_uLastSerial + 1);
        return false;
    }
    Q_EMIT Changed();
    return true;
}

int DownloadListStore::InsertWaitingItems(quint32 uAfter, const QStringList &addresses)
{
    QSet<QString> listed;
    for (const DownloadItem &item : std::as_const(m_DownloadList))
        listed.insert(item.PageUrl());
    const int iAfter = IndexOfSerial(uAfter);
    const int iFirst = iAfter < 0 ? Count() : iAfter + 1;
    int iAt = iFirst;
    for (const QString &sAddress : addresses) {
        if (Count() >= kMaxItems)
            break;
        if (listed.contains(sAddress))
            continue;
        listed.insert(sAddress);
        DownloadItem item;
        item.Video_URL = sAddress;
        item.FileName = QStringLiteral("Waiting (Auto Detect)");
        item.Status = ItemStatus::kWaiting;
        item.FileSize = QStringLiteral("????");
        item.uSerial = ++m_uLastSerial;
        m_DownloadList.insert(iAt++, std::move(item));
    }
    if (iAt == iFirst)
        return 0;
    Renumber(iFirst);
    Q_EMIT Changed();
    return iAt - iFirst;
}

int DownloadListStore::RestoreItems(const QList<DownloadItem> &items)
{
    QSet<QString> listed;
    listed.reserve(Count() + items.size());
    for (const DownloadItem &item : std::as_const(m_DownloadList))
        listed.insert(item.PageUrl());
    const int iBefore = Count();
    for (const DownloadItem &restored : items) {
        if (Count() >= kMaxItems)
            break;
        const QString &sAddress = restored.PageUrl();
        if (restored.Video_URL.isEmpty() || listed.contains(sAddress))
            continue;
        listed.insert(sAddress);
        DownloadItem &item = m_DownloadList.emplace_back(restored);
        item.ID = static_cast<qint16>(Count());
        item.uSerial = ++m_uLastSerial;
        m_indexOfSerial.insert(item.uSerial, Count() - 1);
    }
    if (Count() != iBefore)
        Q_EMIT Changed();
    return Count() - iBefore;
}

bool DownloadListStore::FillDownloadList()
{
    if (m_bFillingList) {
        // The running rebuild may already have copied the rows this caller
        // changed; it goes round once more when it is done.
        m_bRefillWanted = true;
        return false;
    }
    if (UBound() == -1) {
        m_grid.ClearDataSource();
        return false;
    }

    m_bFillingList = true;
    bool bRebuilt = false;
    try {
        do {
            m_bRefillWanted = false;
            bRebuilt = RebuildView();
        } while (bRebuilt && m_bRefillWanted && !IsListEmpty());
    } catch (const std::bad_alloc &) {
        bRebuilt = false;
        m_messageBox.MsgBox(IMessageBox::Icon::Critical, QString(),
                            tr("An error occured while filling the Download list\r7:Out of memory"));
    } catch (const std::exception &e) {
        bRebuilt = false;
        m_messageBox.MsgBox(IMessageBox::Icon::Critical, QString(),
                            tr("An error occured while filling the Download list\r51:Internal error: ")
                                + QString::fromLocal8Bit(e.what()));
    }
    m_bFillingList = false;
    m_bRefillWanted = false;
    // Emptied while it ran: the grid shows no rows, as for an empty list.
    if (IsListEmpty())
        m_grid.ClearDataSource();
    return bRebuilt;
}

bool DownloadListStore::RebuildView()
{
    auto rsNew = std::make_unique<DownloadViewModel>();
    // Fresh memory for a long list costs more to touch than the copy itself;
    // the storage of the view let go of last time is already there.
    rsNew->AdoptStorage(std::move(m_spareStorage));
    const int iLower = 0;
    const int iUpper = UBound();
    rsNew->Reserve(iUpper + 1);

    for (int i = iLower; i <= iUpper; ++i) {
        DoEventsSevenTimes();
        // Handlers that ran during the passes may have shortened the list;
        // a vanished item is skipped, never read past the end. Whatever they
        // changed is shown by the round that follows.
        if (i < m_DownloadList.size())
            rsNew->AddNew(m_DownloadList.at(i));
        DoEventsSevenTimes();
    }

    // The grid keeps showing the old view until the new one is bound, so the
    // old one is released only afterwards: the passes above may paint it.
    std::unique_ptr<DownloadViewModel> rsOld = std::move(m_rsDownloadView);
    m_rsDownloadView = std::move(rsNew);
    m_grid.FormatDownloadGrid(m_rsDownloadView.get(), false);
    if (rsOld && m_grid.DataSource() != rsOld.get())
        m_spareStorage = rsOld->TakeStorage();
    return true;
}

void DownloadListStore::Renumber(int iFrom)
{
    for (int i = iFrom; i < m_DownloadList.size(); ++i) {
        DownloadItem &item = m_DownloadList[i];
        item.ID = static_cast<qint16>(i + 1);
        m_indexOfSerial.insert(item.uSerial, i);
    }
}

// Items leave and move as whole records, so everything an item carries
// besides its number stays with it; only the IDs are written, to keep
// ID = position + 1.
bool DownloadListStore::RemoveDownloadItem(qint16 iID)
{
    if (m_DownloadList.isEmpty())
        return false;
    QList<DownloadItem> removed;
    int iFirst = -1;
    for (int i = 0; i < m_DownloadList.size(); ++i) {
        if (m_DownloadList.at(i).ID == iID) {
            removed.append(m_DownloadList.at(i));
            if (iFirst < 0)
                iFirst = i;
        }
    }
    if (removed.isEmpty())
        return true;
    m_DownloadList.removeIf([iID](const DownloadItem &item) { return item.ID == iID; });
    for (const DownloadItem &item : std::as_const(removed))
        m_indexOfSerial.remove(item.uSerial);
    Renumber(iFirst);
    for (const DownloadItem &item : std::as_const(removed))
        Q_EMIT ItemRemoved(item.uSerial, item.FileName);
    Q_EMIT Changed();
    return true;
}

void DownloadListStore::MoveItemUp(qint16 iID)
{
    for (int i = 1; i < m_DownloadList.size(); ++i) {
        if (m_DownloadList.at(i).ID == iID) {
            m_DownloadList.swapItemsAt(i - 1, i);
            Renumber(i - 1);
            Q_EMIT Changed();
            return;
        }
    }
}

void DownloadListStore::MoveItemDown(qint16 iID)
{
    for (int i = 0; i + 1 < m_DownloadList.size(); ++i) {
        if (m_DownloadList.at(i).ID == iID) {
            m_DownloadList.swapItemsAt(i, i + 1);
            Renumber(i);
            Q_EMIT Changed();
            return;
        }
    }
}

DownloadItem *DownloadListStore::Writable(quint32 uSerial)
{
    const int i = IndexOfSerial(uSerial);
    if (i < 0)
        return nullptr;
    // The running rebuild may have copied the item already; a write that
    // shows itself in the bound view (a typed name, progress) would be
    // undone by the view that replaces it.
    if (m_bFillingList)
        m_bRefillWanted = true;
    return &m_DownloadList[i];
}

bool DownloadListStore::SetStatus(quint32 uSerial, QStringView sStatus)
{
    const DownloadItem *pItem = ItemBySerial(uSerial);
    if (!pItem)
        return false;
    // Progress writes the same text for most blocks; those allocate nothing.
    if (pItem->Status != sStatus) {
        Writable(uSerial)->Status = sStatus.toString();
        Q_EMIT Changed();
    }
    return true;
}

bool DownloadListStore::SetField(quint32 uSerial, QString DownloadItem::*pField,
                                 const QString &sValue)
{
    DownloadItem *pItem = Writable(uSerial);
    if (!pItem)
        return false;
    if (pItem->*pField != sValue) {
        pItem->*pField = sValue;
        Q_EMIT Changed();
    }
    return true;
}

bool DownloadListStore::SetNote(quint32 uSerial, const QString &sNote)
{
    DownloadItem *pItem = Writable(uSerial);
    if (!pItem)
        return false;
    pItem->sNote = sNote;
    if (m_rsDownloadView)
        m_rsDownloadView->SetNote(m_rsDownloadView->RowOfSerial(uSerial), sNote);
    return true;
}

bool DownloadListStore::Finish(quint32 uSerial, ItemState finalState)
{
    return finalState != ItemState::Open
        && SetStatus(uSerial, ItemStatus::ForState(finalState));
}

bool DownloadListStore::ShowInsteadOfAddress(quint32 uSerial, const QString &sShown)
{
    DownloadItem *pItem = Writable(uSerial);
    if (!pItem)
        return false;
    const QString sAddress = pItem->PageUrl();
    const QString sVideo_URL = sShown.isEmpty() ? sAddress : sShown;
    const QString sPageUrl = sShown.isEmpty() ? QString() : sAddress;
    if (pItem->Video_URL != sVideo_URL || pItem->sPageUrl != sPageUrl) {
        pItem->Video_URL = sVideo_URL;
        pItem->sPageUrl = sPageUrl;
        Q_EMIT Changed();
    }
    return true;
}
