#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <vector>

struct DownloadItem;

// The download view: a five-column snapshot of the download list, filled
// anew by every rebuild and bound to whatever shows the list. Only a cell
// write (progress texts) changes it afterwards.
class DownloadViewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { colID = 0, colVideo_URL, colFileName, colStatus, colFileSize, ColumnCount };

    enum Role {
        // A cell's value as a number (double), or nothing when its text is
        // not a number: what the progress bars draw from.
        NumericValueRole = Qt::UserRole + 1,
        // The key of a column (the view's column name) in headerData; the
        // display role carries its caption.
        ColumnKeyRole,
    };

    // Declared text widths of the view's columns; the address column keeps
    // one character less than its width.
    static constexpr int kVideoUrlWidth = 220;
    static constexpr int kVideoUrlShown = 219;
    static constexpr int kFileNameWidth = 100;
    static constexpr int kStatusWidth = 120;
    static constexpr int kFileSizeWidth = 10;

    explicit DownloadViewModel(QObject *parent = nullptr);

    static QString ColumnKey(int iColumn);

    void Reserve(int iRows);

    // A view's rows as memory: a rebuild hands the storage of the view it
    // let go of to the next one, so that refilling a long list touches no
    // new memory. The view that gives it up is left empty.
    // The ID is kept as a number and written out only when shown: a rebuild
    // of a long list is mostly this copying, so it stays allocation-free.
    struct Record
    {
        int iID = 0;
        quint32 uSerial = 0;
        QString cells[ColumnCount];
        // The whole address, and why the item failed: shown as tool tips.
        QString sFullUrl;
        QString sReason;
        QString sNote;
    };
    using Storage = std::vector<Record>;
    Storage TakeStorage();
    void AdoptStorage(Storage &&storage);
    void AddNew(const DownloadItem &item);

    int RecordCount() const { return static_cast<int>(m_records.size()); }
    // The serial of the item a row shows (0 for no row): what commands act
    // on, since a row's ID may be out of date by the time the user acts.
    quint32 SerialAt(int iRow) const;
    // The row that shows the item uSerial; -1 when this view has none.
    int RowOfSerial(quint32 uSerial) const;
    QString CellText(int iRow, int iColumn) const;
    // Writes one cell and tells the views about that cell only.
    bool SetCellText(int iRow, int iColumn, const QString &sText);
    // The row's note (see DownloadItem::sNote); the views hear of its
    // Status cell only.
    bool SetNote(int iRow, const QString &sNote);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Column captions are the grid's to choose; until it does, a column is
    // captioned with its key.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QVariant NumericValue(int iRow, int iColumn) const;
    QString ToolTip(int iRow, int iColumn) const;
    // The Status cell as shown: a waiting item tells what it kept.
    QString ShownStatus(const Record &record) const;

    Storage m_records;
    QString m_captions[ColumnCount];
};
