#include "list/downloadviewmodel.h"

#include <cmath>

#include "list/downloaditem.h"
#include "list/shownlisttext.h"

DownloadViewModel::DownloadViewModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

QString DownloadViewModel::ColumnKey(int iColumn)
{
    static const char *const keys[ColumnCount] = {"ID", "Video_URL", "FileName", "Status",
                                                  "FileSize"};
    if (iColumn < 0 || iColumn >= ColumnCount)
        return QString();
    return QString::fromLatin1(keys[iColumn]);
}

void DownloadViewModel::Reserve(int iRows)
{
    // A list grows by one item between rebuilds; growing the storage by
    // half at a time keeps the refilled view in memory it already has.
    const size_t uRows = static_cast<size_t>(qMax(iRows, 0));
    if (uRows > m_records.capacity())
        m_records.reserve(qMax(uRows, m_records.capacity() + m_records.capacity() / 2));
}

DownloadViewModel::Storage DownloadViewModel::TakeStorage()
{
    beginResetModel();
    Storage storage = std::move(m_records);
    m_records = Storage();
    endResetModel();
    storage.clear();
    return storage;
}

void DownloadViewModel::AdoptStorage(Storage &&storage)
{
    beginResetModel();
    m_records = std::move(storage);
    m_records.clear();
    endResetModel();
}

void DownloadViewModel::AddNew(const DownloadItem &item)
{
    Record &record = m_records.emplace_back();
    record.iID = item.ID;
    record.uSerial = item.uSerial;
    record.cells[colVideo_URL] = item.Video_URL.size() > kVideoUrlShown
                                     ? item.Video_URL.left(kVideoUrlShown)
                                     : item.Video_URL;
    record.cells[colFileName] = item.FileName;
    record.cells[colStatus] = item.Status;
    record.cells[colFileSize] = item.FileSize;
    record.sFullUrl = item.PageUrl();
    record.sReason = item.sReason;
    record.sNote = item.sNote;
}

quint32 DownloadViewModel::SerialAt(int iRow) const
{
    if (iRow < 0 || iRow >= static_cast<int>(m_records.size()))
        return 0;
    return m_records[iRow].uSerial;
}

int DownloadViewModel::RowOfSerial(quint32 uSerial) const
{
    if (uSerial == 0)
        return -1;
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].uSerial == uSerial)
            return static_cast<int>(i);
    }
    return -1;
}

QString DownloadViewModel::CellText(int iRow, int iColumn) const
{
    if (iRow < 0 || iRow >= static_cast<int>(m_records.size()) || iColumn < 0 || iColumn >= ColumnCount)
        return QString();
    const Record &record = m_records[iRow];
    return iColumn == colID ? QString::number(record.iID) : record.cells[iColumn];
}

bool DownloadViewModel::SetCellText(int iRow, int iColumn, const QString &sText)
{
    if (iRow < 0 || iRow >= static_cast<int>(m_records.size()) || iColumn < 0 || iColumn >= ColumnCount)
        return false;
    Record &record = m_records[iRow];
    if (iColumn == colID) {
        bool bNumber = false;
        const int iID = sText.toInt(&bNumber);
        if (!bNumber)
            return false;
        record.iID = iID;
    } else {
        if (record.cells[iColumn] == sText)
            return true;
        record.cells[iColumn] = sText;
    }
    const QModelIndex changed = index(iRow, iColumn);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

bool DownloadViewModel::SetNote(int iRow, const QString &sNote)
{
    if (iRow < 0 || iRow >= static_cast<int>(m_records.size()))
        return false;
    Record &record = m_records[iRow];
    if (record.sNote == sNote)
        return true;
    record.sNote = sNote;
    const QModelIndex changed = index(iRow, colStatus);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::ToolTipRole});
    return true;
}

QString DownloadViewModel::ShownStatus(const Record &record) const
{
    const QString sStatus = ShownListText::Of(record.cells[colStatus]);
    if (record.sNote.isEmpty() || record.cells[colStatus] != ItemStatus::kWaiting)
        return sStatus;
    return sStatus + QStringLiteral(" · ") + record.sNote;
}

int DownloadViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int DownloadViewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadViewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == NumericValueRole)
        return NumericValue(index.row(), index.column());
    if (role == Qt::ToolTipRole)
        return ToolTip(index.row(), index.column());
    if (role == Qt::EditRole)
        return CellText(index.row(), index.column());
    if (role != Qt::DisplayRole)
        return QVariant();
    // Shown in the user's language, with the note only the eye sees; what is
    // stored, edited and compared stays as it is.
    if (index.column() == colStatus && index.row() < static_cast<int>(m_records.size()))
        return ShownStatus(m_records[index.row()]);
    if (index.column() == colFileName)
        return ShownListText::Of(CellText(index.row(), index.column()));
    return CellText(index.row(), index.column());
}

// What the cell's text cannot say: the address the view's column cut, and
// why an item failed. A cell the grid shows cut gets its text from the grid.
QString DownloadViewModel::ToolTip(int iRow, int iColumn) const
{
    if (iRow < 0 || iRow >= static_cast<int>(m_records.size()))
        return QString();
    const Record &record = m_records[iRow];
    if (iColumn == colVideo_URL && record.sFullUrl != record.cells[colVideo_URL])
        return record.sFullUrl;
    if (iColumn == colStatus && !record.sReason.isEmpty())
        return ShownListText::Of(record.sReason);
    if (iColumn == colStatus && !record.sNote.isEmpty())
        return record.cells[colStatus] == ItemStatus::kWaiting ? ShownStatus(record) : record.sNote;
    if (iColumn == colStatus && record.cells[colStatus] == ItemStatus::kLinkNotSupported)
        return ShownListText::Of(QStringLiteral("No supported site matches this address"));
    return QString();
}

QVariant DownloadViewModel::NumericValue(int iRow, int iColumn) const
{
    if (iRow < 0 || iRow >= static_cast<int>(m_records.size()) || iColumn < 0 || iColumn >= ColumnCount)
        return QVariant();
    const Record &record = m_records[iRow];
    if (iColumn == colID)
        return double(record.iID);
    bool bNumber = false;
    const double dValue = record.cells[iColumn].toDouble(&bNumber);
    // "nan" and "inf" parse, but no cell means them as a quantity.
    if (!bNumber || !std::isfinite(dValue))
        return QVariant();
    return dValue;
}

bool DownloadViewModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return SetCellText(index.row(), index.column(), value.toString());
}

QVariant DownloadViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == ColumnKeyRole)
        return ColumnKey(section);
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal) {
        if (section >= 0 && section < ColumnCount && !m_captions[section].isNull())
            return m_captions[section];
        return ColumnKey(section);
    }
    return section + 1;
}

bool DownloadViewModel::setHeaderData(int section, Qt::Orientation orientation,
                                      const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount
        || (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    const QString sCaption = value.toString();
    if (m_captions[section] == sCaption && !m_captions[section].isNull())
        return true;
    m_captions[section] = sCaption;
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags DownloadViewModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The local file name is the one thing the user may type into the list.
    if (index.column() == colFileName)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
