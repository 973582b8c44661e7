#include "list/gridrow.h"

GridRow::GridRow(DownloadViewModel *pView, int iRow)
    : m_pView(pView)
    , m_iRow(iRow)
{
}

GridRow GridRow::First(DownloadViewModel *pView)
{
    if (!pView || pView->RecordCount() == 0)
        return GridRow();
    return GridRow(pView, 0);
}

GridRow GridRow::Last(DownloadViewModel *pView)
{
    if (!pView || pView->RecordCount() == 0)
        return GridRow();
    return GridRow(pView, pView->RecordCount() - 1);
}

bool GridRow::IsNothing() const
{
    return m_pView.isNull() || m_iRow < 0 || m_iRow >= m_pView->RecordCount();
}

bool GridRow::HasNextSibling() const
{
    return !IsNothing() && m_iRow + 1 < m_pView->RecordCount();
}

bool GridRow::HasPrevSibling() const
{
    return !IsNothing() && m_iRow > 0;
}

GridRow GridRow::NextSibling() const
{
    return HasNextSibling() ? GridRow(m_pView.data(), m_iRow + 1) : GridRow();
}

GridRow GridRow::PrevSibling() const
{
    return HasPrevSibling() ? GridRow(m_pView.data(), m_iRow - 1) : GridRow();
}

QString GridRow::CellText(int iColumn) const
{
    return IsNothing() ? QString() : m_pView->CellText(m_iRow, iColumn);
}

void GridRow::SetCellValue(int iColumn, const QString &sValue) const
{
    if (!IsNothing())
        m_pView->SetCellText(m_iRow, iColumn, sValue);
}
