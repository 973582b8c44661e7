#pragma once

#include <QTableView>

#include "list/idownloadgrid.h"

// The grid that shows the download view on the main window.
class DownloadGrid : public QTableView, public IDownloadGrid
{
    Q_OBJECT

public:
    explicit DownloadGrid(QWidget *parent = nullptr);

    void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial) override;
    void ClearDataSource() override;
    DownloadViewModel *DataSource() const override;

    // Scrolls the first row region by one line (negative: toward the top).
    void ScrollRowsBy(int iLines);

private:
    DownloadViewModel *m_pView = nullptr;
};
