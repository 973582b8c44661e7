#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <future>

#include "list/downloadlistfile.h"

class DownloadListStore;

// Keeps the window's download list across starts. Changes are written a
// little later, at most once per save delay, so that a run's progress
// updates cost one write every few seconds however fast they come; what is
// still unsaved is written when the keeper goes, at the program's end. The
// text is made here, the write (which waits for the disk) on a thread of its
// own; the keeper goes only once its last write is done.
class ListKeeper : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSaveDelayMs = 2000;

    ListKeeper(DownloadListStore &store, const QString &sPath, QObject *parent = nullptr);
    ~ListKeeper() override;

    // Puts the kept items into the list. When the file could not be read it
    // has been set aside, and the return is the text to tell the user once.
    QString Restore();
    // Starts writing the list if anything is unsaved.
    void SaveNow();

    void SetSaveDelay(int iMs) { m_saveTimer.setInterval(iMs); }
    const DownloadListFile &File() const { return m_file; }

private:
    void ListChanged();
    // Waits for the write under way; a failed one leaves the list unsaved.
    void FinishWrite();

    DownloadListStore &m_store;
    DownloadListFile m_file;
    QTimer m_saveTimer;
    bool m_bUnsaved = false;
    std::future<bool> m_write;
};
