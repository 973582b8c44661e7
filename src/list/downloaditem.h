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
} // namespace ItemStatus

// One entry of the download list. ID is always the item's position + 1; uSerial
// names the item for the program's lifetime, wherever edits move it.
struct DownloadItem
{
    qint16 ID = 0;
    QString Video_URL;
    QString FileName;
    QString Status;
    QString FileSize;
    ItemState state = ItemState::Open;
    quint32 uSerial = 0;

    // A run passes over items that are already done with.
    bool IsDone() const { return state == ItemState::Complete || state == ItemState::Failed; }

    // Ends the item's way through a run, with the Status text that says so.
    void Finish(ItemState finalState)
    {
        state = finalState;
        switch (finalState) {
        case ItemState::Complete: Status = ItemStatus::kComplete; break;
        case ItemState::Failed: Status = ItemStatus::kError; break;
        case ItemState::Cancelled: Status = ItemStatus::kCancelled; break;
        case ItemState::Open: break;
        }
    }
};
