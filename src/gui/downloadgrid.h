#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

#include "gui/griduserstate.h"
#include "list/idownloadgrid.h"

class FileNameDelegate;
class ProgressBarDelegate;

// The grid that shows the download view on the main window: fixed columns,
// one editable column (the local file name), cell and row selection, and
// progress bars in the Status column. Each rebuilt view is bound in place of
// the last; what the user holds in the grid follows the items across.
class DownloadGrid : public QTableView, public IDownloadGrid
{
    Q_OBJECT

public:
    // Column widths in twips (1/1440 inch), by position.
    // The number column holds three digits whole; the address gives up what it takes.
    static constexpr int kColumnTwips[] = {540, 3410, 1800, 1700, 900};

    explicit DownloadGrid(QWidget *parent = nullptr);

    // Binds the view; the first call with bound data (bInitial false) also
    // lays the grid out in full and sets bGridFormatted.
    void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial) override;
    void ClearDataSource() override;
    DownloadViewModel *DataSource() const override;

    QModelIndexList Selected() const override;
    bool IsCellSelected(int iRow, int iColumn) const override;
    void SetCellSelected(int iRow, int iColumn) override;
    bool IsRowSelected(int iRow) const override;
    void SetRowSelected(int iRow) override;
    void ClearSelection() override { clearSelection(); }

    // Scrolls the first row region by one line (negative: toward the top).
    void ScrollRowsBy(int iLines);

    static int TwipsToPixels(int iTwips, int iDotsPerInch);
    ProgressBarDelegate *BarDelegate() const { return m_pBarDelegate; }
    // Opening an editor from code, as the edit triggers do.
    using QTableView::edit;

Q_SIGNALS:
    // The user commits an edited cell; setting *pbCancel keeps the old value.
    void BeforeCellUpdate(const QModelIndex &cell, const QVariant &vNewValue, bool *pbCancel);
    // The edited value has been stored in the cell.
    void AfterCellUpdate(const QModelIndex &cell);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void commitData(QWidget *editor) override;
    void paintEvent(QPaintEvent *pEvent) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    bool viewportEvent(QEvent *pEvent) override;

private:
    void Bind(DownloadViewModel *rsDownloadView);
    // Every setModel makes the view and both headers a selection model of
    // their own and leaves the old ones to the grid.
    void DeleteStaleSelectionModels();
    // Closes an open editor without committing it; the file-name delegate
    // keeps the widget, with its text and undo steps, to open it again.
    GridUserState TakeUserState();
    void RestoreUserState(const GridUserState &kept);
    void RestoreScrollPosition(const GridUserState &kept, SerialRowFinder &rows);
    void ReopenEditor(const GridUserState::Editor &editor, int iRow);
    // What every binding needs, because each view is a new model: captions,
    // widths and the cell painters.
    void DownloadGrid_InitializeLayout();
    void ApplyPalette();
    // The cell's whole text when the cell shows it cut, else empty text.
    QString CutText(const QModelIndex &cell) const;

    DownloadViewModel *m_pView = nullptr;
    ProgressBarDelegate *m_pBarDelegate;
    FileNameDelegate *m_pFileNameDelegate;
    QPersistentModelIndex m_editedCell;
};
