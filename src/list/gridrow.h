#pragma once

#include <QPointer>
#include <QString>

#include "list/downloadviewmodel.h"

// A reference to one row of the bound download view, or nothing. A rebuild
// replaces the view, after which older references read as nothing.
class GridRow
{
public:
    GridRow() = default;
    GridRow(DownloadViewModel *pView, int iRow);

    static GridRow First(DownloadViewModel *pView);
    static GridRow Last(DownloadViewModel *pView);

    bool IsNothing() const;
    int Index() const { return IsNothing() ? -1 : m_iRow; }
    DownloadViewModel *View() const { return m_pView.data(); }

    bool HasNextSibling() const;
    bool HasPrevSibling() const;
    GridRow NextSibling() const;
    GridRow PrevSibling() const;

    QString CellText(int iColumn) const;
    // The serial of the item the row shows; 0 for nothing.
    quint32 Serial() const { return IsNothing() ? 0 : m_pView->SerialAt(m_iRow); }
    // Writes straight into the bound view; shown at once, without a rebuild.
    void SetCellValue(int iColumn, const QString &sValue) const;

    friend bool operator==(const GridRow &a, const GridRow &b)
    {
        return a.Index() == b.Index() && a.View() == b.View();
    }

private:
    QPointer<DownloadViewModel> m_pView;
    int m_iRow = -1;
};
