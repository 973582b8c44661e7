#pragma once

#include <QString>
#include <QtGlobal>

#include "list/gridrow.h"

class DownloadListStore;
class IDownloadGrid;

// The state of a queue run that the list, the queue and the transfer
// handlers share. The queue drives it; everybody else reads it.
//
// The run follows its current item by the item's serial, not its position:
// commands that run nested inside a transfer may move or remove items, and
// the run must never write one item's progress into another.
class RunState
{
public:
    RunState(const IDownloadGrid &DownloadGrid, const DownloadListStore &store);

    // A queue run is in progress (from its start until its loop has ended,
    // also while a stopped run winds down).
    bool bDownloading() const { return m_bDownloading; }
    // The user asked the run to stop (or the program is ending).
    bool bStopRequested() const { return m_bStopRequested; }
    void BeginRun();
    void EndRun() { m_bDownloading = false; }
    void RequestStop() { m_bStopRequested = true; }

    // Makes the item at index iIndex the current one (or none for -1).
    void SetCurrentItem(int iIndex);
    quint32 CurrentSerial() const { return m_uCurrentSerial; }
    // Index of the current item as of the last FindCurrentRow; -1 for none.
    qint16 iCurrentItem() const { return m_iCurrentItem; }
    // The grid row that shows the current item, or nothing.
    const GridRow &rowCurrent() const { return m_rowCurrent; }

    // Finds the current item's index again after the list changed
    // (iCurrentItem becomes -1 when it was removed) and points rowCurrent at
    // the grid row that shows it, or at nothing. Called again after every
    // rebuild made during a run.
    void FindCurrentRow();

    // Which page of the skin was last shown.
    const QString &sActivePage() const { return m_sActivePage; }
    void SetActivePage(const QString &sPage) { m_sActivePage = sPage; }

private:
    const IDownloadGrid &m_grid;
    const DownloadListStore &m_store;
    bool m_bDownloading = false;
    bool m_bStopRequested = false;
    qint16 m_iCurrentItem = -1;
    GridRow m_rowCurrent;
    QString m_sActivePage;
    quint32 m_uCurrentSerial = 0;
};
