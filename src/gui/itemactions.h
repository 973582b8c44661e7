#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class DownloadGrid;
class DownloadListStore;
class DownloadQueue;
class FileManager;
class QAction;
class QEvent;
class QModelIndex;
struct DownloadItem;

// What the list's context menu does with one item, the first one selected:
// open its file with the desktop's program, show it in the file manager,
// copy its address. Before the menu shows, each entry (and Retry) is greyed
// where it cannot apply; the keys reach them whatever the menu last showed.
class ItemActions : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        DownloadGrid &grid;
        DownloadListStore &store;
        DownloadQueue &queue;
        FileManager &fileManager;
    };

    ItemActions(const Parts &parts, QAction *pRetry, QObject *parent = nullptr);

    QAction *Open() const { return m_pOpen; }
    QAction *ShowInFolder() const { return m_pShowInFolder; }
    QAction *CopyAddress() const { return m_pCopyAddress; }

    // How a file or folder is opened (QDesktopServices unless set: tests).
    void SetOpener(std::function<void(const QUrl &)> open) { m_open = std::move(open); }

    // Greys what cannot apply to the items chosen now.
    void UpdateEnabled();
    // Everything usable again, for the keys.
    void EnableAll();

    // A completed item's address or size double-clicked opens its file.
    void CellDoubleClicked(const QModelIndex &cell);

protected:
    // The grid's context menu, with what cannot apply greyed.
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    const DownloadItem *Chosen() const;
    // The complete file of the item; empty when there is none on disk.
    QString FileOf(const DownloadItem *pItem) const;
    // The file, else the part that keeps what arrived of it.
    QString SomethingToShowOf(const DownloadItem *pItem) const;
    void OpenChosen();
    void ShowChosen();
    void CopyChosen();

    DownloadGrid &m_grid;
    DownloadListStore &m_store;
    DownloadQueue &m_queue;
    FileManager &m_fileManager;
    QAction *m_pRetry;
    QAction *m_pOpen;
    QAction *m_pShowInFolder;
    QAction *m_pCopyAddress;
    std::function<void(const QUrl &)> m_open;
};
