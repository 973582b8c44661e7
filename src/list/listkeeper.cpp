#include "list/listkeeper.h"

#include "list/downloadliststore.h"

ListKeeper::ListKeeper(DownloadListStore &store, const QString &sPath, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_file(sPath)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &ListKeeper::SaveNow);
    connect(&m_store, &DownloadListStore::Changed, this, &ListKeeper::ListChanged);
}

ListKeeper::~ListKeeper()
{
    SaveNow();
    FinishWrite();
}

QString ListKeeper::Restore()
{
    const DownloadListFile::Loaded loaded = m_file.Load();
    m_store.RestoreItems(loaded.items);
    // What was just read is what the file holds.
    m_saveTimer.stop();
    m_bUnsaved = false;
    if (loaded.sProblem.isEmpty())
        return QString();
    const QString sKept = loaded.sSetAsideAs.isEmpty()
        ? QStringLiteral("It could not be moved aside and will be replaced.")
        : QStringLiteral("It was kept as %1.").arg(loaded.sSetAsideAs);
    return QStringLiteral("The saved download list could not be read (%1), so the list starts "
                          "empty. %2")
        .arg(loaded.sProblem, sKept);
}

void ListKeeper::ListChanged()
{
    m_bUnsaved = true;
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

void ListKeeper::SaveNow()
{
    m_saveTimer.stop();
    // Writes are seconds apart, so the last one has nearly always ended.
    FinishWrite();
    if (!m_bUnsaved)
        return;
    m_bUnsaved = false;
    m_write = std::async(std::launch::async,
                         [file = m_file, text = DownloadListFile::Serialise(m_store.Items())] {
                             return file.Write(text);
                         });
}

void ListKeeper::FinishWrite()
{
    // A list that could not be written stays marked, so the next change or
    // the end tries again.
    if (m_write.valid() && !m_write.get())
        m_bUnsaved = true;
}
