#pragma once

#include <QLockFile>
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
//
// Only one program keeps the list at a time: the keeper holds a lock file
// beside it from the first read or write on. A keeper that finds the list
// held by another program neither reads nor writes it.
class ListKeeper : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSaveDelayMs = 2000;
    // Long enough for a program that is ending to write the list and let go.
    static constexpr int kLockWaitMs = 3000;

    ListKeeper(DownloadListStore &store, const QString &sPath, QObject *parent = nullptr);
    ~ListKeeper() override;

    // Puts the kept items into the list. When the file could not be read it
    // has been set aside, and when another program keeps it, it is left
    // alone; the return is then the text to tell the user once.
    QString Restore();
    // Starts writing the list if anything is unsaved.
    void SaveNow();

    void SetSaveDelay(int iMs) { m_saveTimer.setInterval(iMs); }
    void SetLockWait(int iMs) { m_iLockWaitMs = iMs; }
    const DownloadListFile &File() const { return m_file; }

Q_SIGNALS:
    // A write failed: the text to tell the user. Sent once, and again only
    // after a write that succeeded; the list stays unsaved meanwhile, to be
    // written at the next change.
    void SaveFailed(const QString &sMessage);

private:
    enum class Hold { NotYet, Held, Refused };

    void ListChanged();
    // Takes the lock on the first call. False when another program holds it.
    bool HoldList();
    // Waits for the write under way; a failed one leaves the list unsaved.
    void FinishWrite();
    // The thread of write number uWrite is done.
    void WriteEnded(quint64 uWrite);

    DownloadListStore &m_store;
    DownloadListFile m_file;
    QLockFile m_lock;
    Hold m_hold = Hold::NotYet;
    int m_iLockWaitMs = kLockWaitMs;
    QTimer m_saveTimer;
    bool m_bUnsaved = false;
    bool m_bFailureTold = false;
    bool m_bEnding = false;
    // Why the write failed; empty when it succeeded.
    std::future<QString> m_write;
    // Writes begun so far; the last one is m_write.
    quint64 m_uWrites = 0;
};
