#include "list/idownloadgrid.h"

#include <QSet>

#include "list/downloadviewmodel.h"

void HeadlessDownloadGrid::FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial)
{
    m_pView = rsDownloadView;
    DropItemsNotShown();
    ++iBindings;
    if (!bInitial)
        bGridFormatted = true;
}

void HeadlessDownloadGrid::DropItemsNotShown()
{
    if (m_selected.isEmpty())
        return;
    QSet<quint32> shown;
    for (int iRow = 0; m_pView && iRow < m_pView->RecordCount(); ++iRow)
        shown.insert(m_pView->SerialAt(iRow));
    m_selected.removeIf(
        [&shown](const QPair<quint32, int> &cell) { return !shown.contains(cell.first); });
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
    for (const auto &[uSerial, iColumn] : m_selected)
        cells.append(m_pView->index(m_pView->RowOfSerial(uSerial), iColumn));
    return cells;
}

bool HeadlessDownloadGrid::IsCellSelected(int iRow, int iColumn) const
{
    const quint32 uSerial = m_pView ? m_pView->SerialAt(iRow) : 0;
    return uSerial != 0 && m_selected.contains(qMakePair(uSerial, iColumn));
}

void HeadlessDownloadGrid::SetCellSelected(int iRow, int iColumn)
{
    if (!m_pView || iRow < 0 || iRow >= m_pView->RecordCount() || iColumn < 0
        || iColumn >= DownloadViewModel::ColumnCount || m_pView->SerialAt(iRow) == 0
        || IsCellSelected(iRow, iColumn))
        return;
    m_selected.append(qMakePair(m_pView->SerialAt(iRow), iColumn));
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
