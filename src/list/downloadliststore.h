#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

#include "list/downloaditem.h"
#include "list/downloadviewmodel.h"

class IDownloadGrid;
class IMessageBox;

// The download list: the program's one piece of working data, and the
// download view rebuilt from it. The store is the list's only writer, so
// that IDs stay position + 1 and every item keeps its serial; everybody else
// reads items and asks for changes by serial (or, for the list procedures,
// by the ID an item has now), then calls FillDownloadList.
class DownloadListStore : public QObject
{
    Q_OBJECT

public:
    // IDs and indexes are 16-bit: the list never holds more items than this.
    static constexpr int kMaxItems = 32767;

    DownloadListStore(IDownloadGrid &grid, IMessageBox &messageBox, QObject *parent = nullptr);
    ~DownloadListStore() override;

    // Index of the last item; -1 when the list is empty.
    int UBound() const { return Count() - 1; }
    int Count() const { return static_cast<int>(m_DownloadList.size()); }
    bool IsListEmpty() const { return m_DownloadList.isEmpty(); }
    const QList<DownloadItem> &Items() const { return m_DownloadList; }

    // The item at index i, or nothing when the list no longer reaches that far
    // (commands run during a transfer may have shortened it).
    const DownloadItem *ItemAt(int i) const
    {
        return i >= 0 && i < Count() ? &m_DownloadList.at(i) : nullptr;
    }
    // Index of the item named uSerial; -1 when it is no longer listed.
    int IndexOfSerial(quint32 uSerial) const { return m_indexOfSerial.value(uSerial, -1); }
    const DownloadItem *ItemBySerial(quint32 uSerial) const { return ItemAt(IndexOfSerial(uSerial)); }
    // The ID item uSerial has now; 0 when it is no longer listed.
    qint16 IDOfSerial(quint32 uSerial) const { return static_cast<qint16>(IndexOfSerial(uSerial) + 1); }
    // The serial the next appended item will exceed: items with a larger one
    // were added after this was read.
    quint32 LastSerial() const { return m_uLastSerial; }

    // Appends an item unless the address is already listed (exact text; an
    // item's page address, whatever its row shows).
    // Empty Status and FileSize become "Waiting" and "????", in the caller's
    // variables too. True when the address is in the list afterwards.
    bool AddDownloadItem(const QString &sVideo_URL, const QString &sFileName, QString &sStatus,
                         QString &sFileSize);
    // Adds waiting items for the addresses right after item uAfter (at the
    // end when it is gone), in their order, leaving out addresses already
    // listed; as many as the list's size allows. Returns how many were added.
    int InsertWaitingItems(quint32 uAfter, const QStringList &addresses);
    // Appends items kept from an earlier start, as they were, with IDs and
    // serials of this list; addresses already listed and whatever passes the
    // list's size are left out. Returns how many were appended.
    int RestoreItems(const QList<DownloadItem> &items);

    // Rebuilds the download view from scratch and has the grid show it. False
    // when the list is empty (the grid is unbound), when a rebuild is already
    // running (that one is then done again once it ends, so the grid always
    // ends up showing the list as it is), or when it failed.
    bool FillDownloadList();

    // Edits by the ID an item has now. None of them rebuilds the view.
    // Removes the items with this ID and renumbers the rest from 1. False when
    // the list is empty.
    bool RemoveDownloadItem(qint16 iID);
    // Swaps the item with the one before (after) it; the first (last) item
    // stays where it is.
    void MoveItemUp(qint16 iID);
    void MoveItemDown(qint16 iID);

    // Writes one field of item uSerial; false when it is no longer listed.
    // The Status text is the item's state: an unchanged text is not written.
    bool SetStatus(quint32 uSerial, QStringView sStatus);
    bool SetFileName(quint32 uSerial, const QString &sFileName)
    {
        return SetField(uSerial, &DownloadItem::FileName, sFileName);
    }
    bool SetFileSize(quint32 uSerial, const QString &sFileSize)
    {
        return SetField(uSerial, &DownloadItem::FileSize, sFileSize);
    }
    bool SetVideo_URL(quint32 uSerial, const QString &sVideo_URL)
    {
        return SetField(uSerial, &DownloadItem::Video_URL, sVideo_URL);
    }
    // Keeps the page's address with the item while its row shows sShown
    // instead; an empty sShown shows the address again.
    bool ShowInsteadOfAddress(quint32 uSerial, const QString &sShown);
    bool SetReason(quint32 uSerial, const QString &sReason)
    {
        return SetField(uSerial, &DownloadItem::sReason, sReason);
    }
    // The item's note (see DownloadItem::sNote), written into the view as
    // it is: no rebuild, and the list file has nothing new to keep.
    bool SetNote(quint32 uSerial, const QString &sNote);
    // Ends the item's way through a run, with the Status text that says so.
    bool Finish(quint32 uSerial, ItemState finalState);

    DownloadViewModel *rsDownloadView() const { return m_rsDownloadView.get(); }
    IDownloadGrid &DownloadGrid() const { return m_grid; }
    bool bFillingList() const { return m_bFillingList; }

Q_SIGNALS:
    // An item left the list (the list is already renumbered): whatever works
    // on it should stop, and what it kept on disk for later may go.
    void ItemRemoved(quint32 uSerial, const QString &sFileName);
    // Something the list keeps changed: an item came, went, moved or had a
    // field written.
    void Changed();

private:
    DownloadItem *Writable(quint32 uSerial);
    bool SetField(quint32 uSerial, QString DownloadItem::*pField, const QString &sValue);
    bool RebuildView();
    void Renumber(int iFrom);

    IDownloadGrid &m_grid;
    IMessageBox &m_messageBox;
    QList<DownloadItem> m_DownloadList;
    QHash<quint32, int> m_indexOfSerial;
    std::unique_ptr<DownloadViewModel> m_rsDownloadView;
    // The rows' memory of the view before the current one, for the next rebuild.
    DownloadViewModel::Storage m_spareStorage;
    bool m_bFillingList = false;
    bool m_bRefillWanted = false;
    quint32 m_uLastSerial = 0;
};
