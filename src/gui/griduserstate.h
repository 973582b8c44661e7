#pragma once

#include <QHash>
#include <QItemSelection>
#include <QList>

class DownloadViewModel;

// Finds the row of an item in a view, trying first the row it had in the
// view before: most rebuilds move nothing, so a long list is searched only
// once something has moved.
class SerialRowFinder
{
public:
    explicit SerialRowFinder(const DownloadViewModel &view);
    // -1 when the view does not show the item.
    int RowOf(quint32 uSerial, int iOldRow);

private:
    const DownloadViewModel &m_view;
    QHash<quint32, int> m_rowOfSerial;
};

// What the user holds in the grid: selected cells, the current cell, the
// scroll position and an open file-name editor. Rows are named by the serial
// of the item they show, so that all of it can be found again on a rebuilt
// view whose rows have moved.
struct GridUserState
{
    struct Row
    {
        quint32 uSerial = 0;
        int iOldRow = -1;
    };

    // Selected columns iLeft..iRight of one row.
    struct RowSpan
    {
        Row row;
        int iLeft = 0;
        int iRight = 0;
    };

    struct Cell
    {
        Row row;
        int iColumn = -1;
    };

    // The editor widget itself is kept; opening it selects all its text.
    struct Editor
    {
        Cell cell;
        int iCursor = 0;
        int iSelectionStart = -1;
        int iSelectionLength = 0;
    };

    void TakeSelection(const DownloadViewModel &view, const QItemSelection &selection);
    // The selected cells in newView, rows next to each other joined again;
    // rows of items it no longer shows drop out.
    QItemSelection SelectionIn(const DownloadViewModel &newView, SerialRowFinder &rows) const;

    static Row RowIn(const DownloadViewModel &view, int iRow);
    // -1 when the view does not show the row's item.
    static int NewRow(const Row &row, SerialRowFinder &rows)
    {
        return row.uSerial ? rows.RowOf(row.uSerial, row.iOldRow) : -1;
    }

    QList<RowSpan> selected;
    Cell current;
    // The row at the top of the grid and how much of it is scrolled away.
    Row top;
    int iTopPixelsHidden = 0;
    int iVerticalValue = 0;
    int iHorizontalValue = 0;
    bool bEditorOpen = false;
    Editor editor;
};
