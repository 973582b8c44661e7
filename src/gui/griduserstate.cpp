#include "gui/griduserstate.h"

#include "list/downloadviewmodel.h"

SerialRowFinder::SerialRowFinder(const DownloadViewModel &view)
    : m_view(view)
{
}

int SerialRowFinder::RowOf(quint32 uSerial, int iOldRow)
{
    if (m_view.SerialAt(iOldRow) == uSerial)
        return iOldRow;
    if (m_rowOfSerial.isEmpty()) {
        m_rowOfSerial.reserve(m_view.RecordCount());
        for (int iRow = 0; iRow < m_view.RecordCount(); ++iRow)
            m_rowOfSerial.insert(m_view.SerialAt(iRow), iRow);
    }
    return m_rowOfSerial.value(uSerial, -1);
}

GridUserState::Row GridUserState::RowIn(const DownloadViewModel &view, int iRow)
{
    return {view.SerialAt(iRow), iRow};
}

void GridUserState::TakeSelection(const DownloadViewModel &view, const QItemSelection &selection)
{
    for (const QItemSelectionRange &range : selection) {
        for (int iRow = range.top(); iRow <= range.bottom(); ++iRow)
            selected.append({RowIn(view, iRow), range.left(), range.right()});
    }
}

QItemSelection GridUserState::SelectionIn(const DownloadViewModel &newView,
                                          SerialRowFinder &rows) const
{
    // Selecting row by row would leave a selected long list as many ranges,
    // each one looked through whenever a cell is painted.
    QItemSelection selection;
    int iTop = -1;
    int iBottom = -1;
    int iLeft = 0;
    int iRight = 0;
    const auto flush = [&] {
        if (iTop >= 0)
            selection.append(QItemSelectionRange(newView.index(iTop, iLeft),
                                                 newView.index(iBottom, iRight)));
    };
    for (const RowSpan &span : selected) {
        const int iRow = NewRow(span.row, rows);
        if (iRow < 0)
            continue;
        if (iTop >= 0 && iRow == iBottom + 1 && span.iLeft == iLeft && span.iRight == iRight) {
            iBottom = iRow;
            continue;
        }
        flush();
        iTop = iBottom = iRow;
        iLeft = span.iLeft;
        iRight = span.iRight;
    }
    flush();
    return selection;
}
