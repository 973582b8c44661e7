#include "list/filenameeditor.h"

#include <QCoreApplication>
#include <QVariant>

#include "core/modmain.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/gridrow.h"

namespace {

bool IsFileNameColumn(int iColumn)
{
    return DownloadViewModel::ColumnKey(iColumn) == QLatin1String("FileName");
}

} // namespace

FileNameEditor::FileNameEditor(DownloadListStore &store)
    : m_store(store)
{
}

void FileNameEditor::DownloadGrid_BeforeCellUpdate(const GridRow &, int iColumn,
                                                   const QVariant &vNewValue, bool &bCancel)
{
    m_sRefusal.clear();
    if (!IsFileNameColumn(iColumn))
        return;
    // The view holds no more than this of a name; a longer one would be
    // stored whole in the item but shown cut, and the two would disagree.
    const QString s =
        modMain::CleanFileName(vNewValue.toString()).left(DownloadViewModel::kFileNameWidth);
    if (!s.isEmpty() && s != QLatin1String("Enter File Name")) {
        sPendingFileName = s;
        return;
    }
    bCancel = true;
    // Emptying the cell (or leaving the placeholder) is a plain way to give
    // up; typing something that comes to nothing deserves to be told.
    const QString sTyped = vNewValue.toString().trimmed();
    if (!sTyped.isEmpty() && sTyped != QLatin1String("Enter File Name"))
        m_sRefusal = QCoreApplication::translate(
                         "FileNameEditor", "Nothing is left of the name \"%1\" once the characters a "
                                           "file name may not hold are dropped; the item keeps its name.")
                         .arg(sTyped);
}

void FileNameEditor::DownloadGrid_AfterCellUpdate(const GridRow &row, int iColumn)
{
    if (!IsFileNameColumn(iColumn) || row.IsNothing())
        return;
    row.SetCellValue(iColumn, sPendingFileName);
    // The row's item, wherever edits made during the typing have moved it.
    m_store.SetFileName(row.Serial(), row.CellText(iColumn));
}
