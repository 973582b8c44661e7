#pragma once

#include <QString>

class DownloadListStore;
class GridRow;
class QVariant;

// Renaming an item's local file in the grid: the one column the user types
// into. The typed name is cleaned before the grid keeps it; a name with
// nothing usable left is refused and the old one stays.
class FileNameEditor
{
public:
    explicit FileNameEditor(DownloadListStore &store);

    // The grid is about to store vNewValue in the cell of row at column
    // iColumn; setting bCancel keeps the cell as it was.
    void DownloadGrid_BeforeCellUpdate(const GridRow &row, int iColumn, const QVariant &vNewValue,
                                       bool &bCancel);
    // The grid has stored the typed value; the cell and the item get the
    // cleaned name. The cell write is the program's own and raises no update.
    void DownloadGrid_AfterCellUpdate(const GridRow &row, int iColumn);

    // The cleaned name accepted before the update, written after it.
    QString sPendingFileName;
    // Why the last edit was refused, when the user should hear it: nothing
    // was left of the typed name. Empty otherwise.
    QString RefusalReason() const { return m_sRefusal; }

private:
    DownloadListStore &m_store;
    QString m_sRefusal;
};
