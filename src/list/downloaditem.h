#pragma once

#include <QString>
#include <QtGlobal>

// Where an item stands. A run skips the finished states; the Status text is
// what the grid shows of them.
enum class ItemState : quint8 {
    Open,      // waiting, or on its way through a run
    Complete,  // its file is in the download directory
    Failed,    // resolution or transfer failed ("ERROR")
    Cancelled, // the run was stopped during its transfer
};

// The Status texts the program itself writes and acts upon.
namespace ItemStatus {
inline const QString kWaiting = QStringLiteral("Waiting");
inline const QString kComplete = QStringLiteral("Complete");
inline const QString kError = QStringLiteral("ERROR");
inline const QString kCancelled = QStringLiteral("Cancelled");
inline const QString kLinkNotSupported = QStringLiteral("Link is not supported");

// The Status text that ends an item in this state; empty for Open.
inline QString ForState(ItemState state)
{
    switch (state) {
    case ItemState::Complete: return kComplete;
    case ItemState::Failed: return kError;
    case ItemState::Cancelled: return kCancelled;
    case ItemState::Open: break;
    }
    return QString();
}
} // namespace ItemStatus

// One entry of the download list. ID is always the item's position + 1; uSerial
// names the item for the program's lifetime, wherever edits move it. Only the
// list store writes items, so both stay true.
struct DownloadItem
{
    qint16 ID = 0;
    QString Video_URL;
    QString FileName;
    QString Status;
    QString FileSize;
    quint32 uSerial = 0;
    // Why the item failed, in words, for its Status cell's tool tip.
    QString sReason;
    // The page's address while Video_URL shows something else (what a page
    // without a video says); empty while Video_URL is the address.
    QString sPageUrl;
    // What the item's transfer is doing ("12.4 MB of 200 MB · …"), or how
    // much of its file a kept part holds ("89 % kept"): shown with its row,
    // never kept in the list file.
    QString sNote;

    // The address of the item's page, whatever its row shows.
    const QString &PageUrl() const { return sPageUrl.isEmpty() ? Video_URL : sPageUrl; }

    // The state is read off the Status text, so the two can never disagree.
    ItemState State() const
    {
        if (Status == ItemStatus::kComplete)
            return ItemState::Complete;
        if (Status == ItemStatus::kError)
            return ItemState::Failed;
        if (Status == ItemStatus::kCancelled)
            return ItemState::Cancelled;
        return ItemState::Open;
    }
    // A run passes over items that are already done with.
    bool IsDone() const
    {
        const ItemState state = State();
        return state == ItemState::Complete || state == ItemState::Failed;
    }
};
