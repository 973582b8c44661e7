#pragma once

#include <QString>
#include <QtGlobal>

#include "list/gridrow.h"

class IDownloadGrid;

// The state of a queue run that the list, the queue and the transfer
// handlers share.
class RunState
{
public:
    explicit RunState(const IDownloadGrid &DownloadGrid);

    // Points rowCurrent at the grid row that shows item iCurrentItem, or at
    // nothing. Called again after every rebuild made during a run.
    void FindCurrentRow();

    bool bDownloading = false;
    bool bStopRequested = false;
    qint16 iCurrentItem = 0;
    GridRow rowCurrent;
    QString sActivePage;

private:
    const IDownloadGrid &m_grid;
};
