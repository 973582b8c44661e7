#include "list/downloadliststore.h"

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

DownloadListStore::DownloadListStore(IDownloadGrid &grid, IMessageBox &messageBox)
    : m_grid(grid)
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
    for (const DownloadItem &item : std::as_const(DownloadList)) {
        if (item.Video_URL == sVideo_URL)
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
        // A status given here is where the item starts; the finished ones
        // are the only texts a run acts upon.
        if (sStatus == ItemStatus::kComplete)
            item.state = ItemState::Complete;
        else if (sStatus == ItemStatus::kError)
            item.state = ItemState::Failed;
        item.uSerial = ++m_uLastSerial;
        DownloadList.append(std::move(item));
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

int DownloadListStore::IndexOfSerial(quint32 uSerial) const
{
    for (int i = 0; i < DownloadList.size(); ++i) {
        if (DownloadList.at(i).uSerial == uSerial)
            return i;
    }
    return -1;
}

bool DownloadListStore::FillDownloadList()
{
    if (m_bFillingList)
        return false;
    if (UBound() == -1) {
        m_grid.ClearDataSource();
        return false;
    }

    m_bFillingList = true;
    bool bRebuilt = false;
    try {
        bRebuilt = RebuildView();
    } catch (const std::bad_alloc &) {
        m_messageBox.MsgBox(IMessageBox::Icon::Critical, QString(),
                            QStringLiteral("An error occured while filling the Download list\r"
                                           "7:Out of memory"));
    } catch (const std::exception &e) {
        m_messageBox.MsgBox(IMessageBox::Icon::Critical, QString(),
                            QStringLiteral("An error occured while filling the Download list\r"
                                           "51:Internal error: ")
                                + QString::fromLocal8Bit(e.what()));
    }
    m_bFillingList = false;
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
        // a vanished item is skipped, never read past the end.
        if (i < DownloadList.size())
            rsNew->AddNew(DownloadList.at(i));
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

// Items leave and move as whole records, so everything an item carries
// besides its number stays with it; only the IDs are written, to keep
// ID = position + 1.
bool DownloadListStore::RemoveDownloadItem(qint16 iID)
{
    if (DownloadList.isEmpty())
        return false;
    DownloadList.removeIf([iID](const DownloadItem &item) { return item.ID == iID; });
    for (int i = 0; i < DownloadList.size(); ++i)
        DownloadList[i].ID = static_cast<qint16>(i + 1);
    return true;
}

void DownloadListStore::MoveItemUp(qint16 iID)
{
    for (int i = 1; i < DownloadList.size(); ++i) {
        if (DownloadList.at(i).ID == iID) {
            DownloadList.swapItemsAt(i - 1, i);
            DownloadList[i - 1].ID = static_cast<qint16>(i);
            DownloadList[i].ID = static_cast<qint16>(i + 1);
            return;
        }
    }
}

void DownloadListStore::MoveItemDown(qint16 iID)
{
    for (int i = 0; i + 1 < DownloadList.size(); ++i) {
        if (DownloadList.at(i).ID == iID) {
            DownloadList.swapItemsAt(i, i + 1);
            DownloadList[i].ID = static_cast<qint16>(i + 1);
            DownloadList[i + 1].ID = static_cast<qint16>(i + 2);
            return;
        }
    }
}

bool DownloadListStore::UpdateDownloadItem(qint16 iID, const QString &sVideo_URL,
                                           const QVariant &vFileName, const QString &sStatus,
                                           const QString &sFileSize)
{
    DownloadItem *pItem = ItemAt(iID - 1);
    if (!pItem)
        return true;
    if (!sVideo_URL.isEmpty())
        pItem->Video_URL = sVideo_URL;
    const QString sFileName = vFileName.toString();
    if (!sFileName.isEmpty())
        pItem->FileName = sFileName;
    if (!sStatus.isEmpty())
        pItem->Status = sStatus;
    if (!sFileSize.isEmpty())
        pItem->FileSize = sFileSize;
    return true;
}
