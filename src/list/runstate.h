#pragma once

#include <QString>
#include <QtGlobal>

#include "list/gridrow.h"

class DownloadListStore;
class IDownloadGrid;

// The state of a queue run that the list, the queue and the transfer
// handlers share.
//
// The run follows its current item by the item's serial, not its position:
// commands that run nested inside a transfer may move or remove items, and
// the run must never write one item's progress into another.
class RunState
{
public:
    RunState(const IDownloadGrid &DownloadGrid, const DownloadListStore &store);

    // Makes the item at index iIndex the current one (or none for -1).
    void SetCurrentItem(int iIndex);

    // Finds the current item's index again after the list changed
    // (iCurrentItem becomes -1 when it was removed) and points rowCurrent at
    // the grid row that shows it, or at nothing. Called again after every
    // rebuild made during a run.
    void FindCurrentRow();

    quint32 CurrentSerial() const { return m_uCurrentSerial; }

    bool bDownloading = false;
    bool bStopRequested = false;
    qint16 iCurrentItem = -1;
    GridRow rowCurrent;
    QString sActivePage;

private:
    const IDownloadGrid &m_grid;
    const DownloadListStore &m_store;
    quint32 m_uCurrentSerial = 0;
};
