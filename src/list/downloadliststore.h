#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

#include "list/downloaditem.h"
#include "list/downloadviewmodel.h"

class IDownloadGrid;
class IMessageBox;

// The download list: the program's one piece of working data, kept in memory
// for as long as the program runs, and the download view rebuilt from it.
// Writers change DownloadList directly and then call FillDownloadList.
class DownloadListStore
{
public:
    // IDs and indexes are 16-bit: the list never holds more items than this.
    static constexpr int kMaxItems = 32767;

    DownloadListStore(IDownloadGrid &grid, IMessageBox &messageBox);
    ~DownloadListStore();
    DownloadListStore(const DownloadListStore &) = delete;
    DownloadListStore &operator=(const DownloadListStore &) = delete;

    // Index of the last item; -1 when the list is empty.
    int UBound() const { return static_cast<int>(DownloadList.size()) - 1; }

    // The item at index i, or nothing when the list no longer reaches that far
    // (commands run during a transfer may have shortened it).
    DownloadItem *ItemAt(int i)
    {
        return i >= 0 && i < DownloadList.size() ? &DownloadList[i] : nullptr;
    }

    // Index of the item named uSerial; -1 when it is no longer listed.
    int IndexOfSerial(quint32 uSerial) const;
    // The serial the next appended item will not exceed: items with a larger
    // one were added after this was read.
    quint32 LastSerial() const { return m_uLastSerial; }

    // Appends an item unless the address is already listed (exact text).
    // Empty Status and FileSize become "Waiting" and "????", in the caller's
    // variables too. True when the address is in the list afterwards.
    bool AddDownloadItem(const QString &sVideo_URL, const QString &sFileName, QString &sStatus,
                         QString &sFileSize);

    // Rebuilds the download view from scratch and has the grid show it. False
    // when the list is empty (the grid is unbound), when a rebuild is already
    // running, or when it failed.
    bool FillDownloadList();

    // Edits by item ID. None of them rebuilds the view; the caller does.
    // Removes the items with this ID and renumbers the rest from 1. False when
    // the list is empty.
    bool RemoveDownloadItem(qint16 iID);
    // Swaps the item with the one before (after) it; the first (last) item
    // stays where it is.
    void MoveItemUp(qint16 iID);
    void MoveItemDown(qint16 iID);
    bool IsListEmpty() const { return DownloadList.isEmpty(); }
    // Overwrites the fields of item iID whose argument is not empty text.
    bool UpdateDownloadItem(qint16 iID, const QString &sVideo_URL, const QVariant &vFileName,
                            const QString &sStatus, const QString &sFileSize);

    DownloadViewModel *rsDownloadView() const { return m_rsDownloadView.get(); }
    IDownloadGrid &DownloadGrid() const { return m_grid; }
    bool bFillingList() const { return m_bFillingList; }

    QList<DownloadItem> DownloadList;

private:
    bool RebuildView();

    IDownloadGrid &m_grid;
    IMessageBox &m_messageBox;
    std::unique_ptr<DownloadViewModel> m_rsDownloadView;
    // The rows' memory of the view before the current one, for the next rebuild.
    DownloadViewModel::Storage m_spareStorage;
    bool m_bFillingList = false;
    quint32 m_uLastSerial = 0;
};
