#include "gui/downloadgrid.h"

#include <QHeaderView>
#include <QScrollBar>

#include "list/downloadviewmodel.h"

DownloadGrid::DownloadGrid(QWidget *parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("DownloadGrid"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
}

void DownloadGrid::FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool)
{
    m_pView = rsDownloadView;
    setModel(rsDownloadView);
    if (!rsDownloadView)
        return;
    setColumnWidth(DownloadViewModel::colID, 40);
    setColumnWidth(DownloadViewModel::colVideo_URL, 220);
    setColumnWidth(DownloadViewModel::colFileName, 160);
    setColumnWidth(DownloadViewModel::colStatus, 110);
}

void DownloadGrid::ClearDataSource()
{
    m_pView = nullptr;
    setModel(nullptr);
}

DownloadViewModel *DownloadGrid::DataSource() const
{
    return m_pView;
}

void DownloadGrid::ScrollRowsBy(int iLines)
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() + iLines);
}
