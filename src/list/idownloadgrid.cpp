#include "list/idownloadgrid.h"

#include "list/downloadviewmodel.h"

void HeadlessDownloadGrid::FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial)
{
    m_pView = rsDownloadView;
    m_selected.clear();
    ++iBindings;
    if (!bInitial)
        bGridFormatted = true;
}

void HeadlessDownloadGrid::ClearDataSource()
{
    m_pView = nullptr;
    m_selected.clear();
}

QModelIndexList HeadlessDownloadGrid::Selected() const
{
    QModelIndexList cells;
    if (!m_pView)
        return cells;
    for (const auto &[iRow, iColumn] : m_selected)
        cells.append(m_pView->index(iRow, iColumn));
    return cells;
}

bool HeadlessDownloadGrid::IsCellSelected(int iRow, int iColumn) const
{
    return m_selected.contains(qMakePair(iRow, iColumn));
}

void HeadlessDownloadGrid::SetCellSelected(int iRow, int iColumn)
{
    if (!m_pView || iRow < 0 || iRow >= m_pView->RecordCount() || iColumn < 0
        || iColumn >= DownloadViewModel::ColumnCount || IsCellSelected(iRow, iColumn))
        return;
    m_selected.append(qMakePair(iRow, iColumn));
}

bool HeadlessDownloadGrid::IsRowSelected(int iRow) const
{
    for (int iColumn = 0; iColumn < DownloadViewModel::ColumnCount; ++iColumn) {
        if (!IsCellSelected(iRow, iColumn))
            return false;
    }
    return m_pView != nullptr;
}

void HeadlessDownloadGrid::SetRowSelected(int iRow)
{
    for (int iColumn = 0; iColumn < DownloadViewModel::ColumnCount; ++iColumn)
        SetCellSelected(iRow, iColumn);
}
