#include "list/listkeeper.h"

#include <QDir>
#include <QFileInfo>

#include "list/downloadliststore.h"
#include "list/listlog.h"

ListKeeper::ListKeeper(DownloadListStore &store, const QString &sPath, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_file(sPath)
    , m_lock(sPath + QStringLiteral(".lock"))
{
    // The lock is held for as long as the program runs; only a holder that
    // is gone makes it stale.
    m_lock.setStaleLockTime(0);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &ListKeeper::SaveNow);
    connect(&m_store, &DownloadListStore::Changed, this, &ListKeeper::ListChanged);
}

ListKeeper::~ListKeeper()
{
    // Nobody is left to tell at the end; the log says it.
    m_bEnding = true;
    SaveNow();
    FinishWrite();
}

bool ListKeeper::HoldList()
{
    if (m_hold != Hold::NotYet)
        return m_hold == Hold::Held;
    QDir().mkpath(QFileInfo(m_file.Path()).absolutePath());
    if (m_lock.tryLock(m_iLockWaitMs)) {
        m_hold = Hold::Held;
    } else if (m_lock.error() == QLockFile::LockFailedError) {
        m_hold = Hold::Refused;
        qCWarning(lcList) << "another program keeps the download list" << m_file.Path()
                          << "; this one's list is not kept";
    } else {
        // No lock can be made where the list lives: nobody else can hold
        // it either, and the writes report what stands in their way.
        qCWarning(lcList) << "cannot make the lock of the download list" << m_lock.fileName();
        m_hold = Hold::Held;
    }
    return m_hold == Hold::Held;
}

QString ListKeeper::Restore()
{
    if (!HoldList())
        return tr("The download list is kept by another Clipvane program, so this window starts "
                  "with an empty list that is not kept.");
    const DownloadListFile::Loaded loaded = m_file.Load();
    m_store.RestoreItems(loaded.items);
    // What was just read is what the file holds.
    m_saveTimer.stop();
    m_bUnsaved = false;
    if (loaded.sProblem.isEmpty())
        return QString();
    const QString sKept = loaded.sSetAsideAs.isEmpty()
        ? tr("It could not be moved aside and will be replaced.")
        : tr("It was kept as %1.").arg(loaded.sSetAsideAs);
    return tr("The saved download list could not be read (%1), so the list starts empty. %2")
        .arg(loaded.sProblem, sKept);
}

void ListKeeper::ListChanged()
{
    if (m_hold == Hold::Refused)
        return;
    m_bUnsaved = true;
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

void ListKeeper::SaveNow()
{
    m_saveTimer.stop();
    // Writes are seconds apart, so the last one has nearly always ended.
    FinishWrite();
    if (!m_bUnsaved || !HoldList())
        return;
    m_bUnsaved = false;
    const quint64 uWrite = ++m_uWrites;
    m_write = std::async(std::launch::async,
                         [this, uWrite, file = m_file,
                          text = DownloadListFile::Serialise(m_store.Items())] {
                             QString sError;
                             if (!file.Write(text, &sError) && sError.isEmpty())
                                 sError = QStringLiteral("unknown error");
                             // Heard at once rather than at the next save; a
                             // keeper that goes first waits for this thread,
                             // and the call dies with it.
                             QMetaObject::invokeMethod(
                                 this, [this, uWrite] { WriteEnded(uWrite); },
                                 Qt::QueuedConnection);
                             return sError;
                         });
}

void ListKeeper::WriteEnded(quint64 uWrite)
{
    // A later save may have finished this write already and begun another,
    // which its own call finishes. This one's thread is returning now.
    if (uWrite == m_uWrites)
        FinishWrite();
}

void ListKeeper::FinishWrite()
{
    if (!m_write.valid())
        return;
    const QString sError = m_write.get();
    if (sError.isEmpty()) {
        m_bFailureTold = false;
        return;
    }
    // A list that could not be written stays marked, so the next change or
    // the end tries again.
    m_bUnsaved = true;
    if (m_bEnding || m_bFailureTold)
        return;
    m_bFailureTold = true;
    Q_EMIT SaveFailed(tr("The download list could not be saved: %1. It stays in this window and is "
                         "saved again at the next change.")
                          .arg(sError));
}
