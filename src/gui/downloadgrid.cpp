#include "gui/downloadgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QMetaProperty>
#include <QScrollBar>

#include "gui/filenamedelegate.h"
#include "gui/progressbardelegate.h"
#include "list/downloadviewmodel.h"

namespace {

// The grid's palette: its own light grey with a blue frame line, grey
// captions with white text, white rows ruled in grey, dark selected cells
// with white text, and amber for the cell being typed into.
const QColor kGridBack(234, 233, 232);
const QColor kGridLine(39, 104, 146);
const QColor kRuleGrey(141, 141, 141);
const QColor kCaptionBack(141, 141, 141);
const QColor kCaptionText(255, 255, 255);
const QColor kRowBack(255, 255, 255);
const QColor kSelectedBack(58, 56, 56);
const QColor kSelectedText(255, 255, 255);
const QColor kActiveBack(255, 199, 0);

const char *const kCaptions[] = {" ", "Video URL", "Local File Name", "Download Status",
                                 "File Size"};

} // namespace

DownloadGrid::DownloadGrid(QWidget *parent)
    : QTableView(parent)
    // The bar keeps the system's highlight colours, taken before the grid
    // gets its own palette.
    , m_pBarDelegate(new ProgressBarDelegate(QApplication::palette(this), this))
    , m_pFileNameDelegate(new FileNameDelegate(kActiveBack, this))
{
    setObjectName(QStringLiteral("DownloadGrid"));
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int DownloadGrid::TwipsToPixels(int iTwips, int iDotsPerInch)
{
    return qRound(iTwips * iDotsPerInch / 1440.0);
}

void DownloadGrid::FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial)
{
    if (bGridFormatted) {
        Bind(rsDownloadView);
        return;
    }
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::SelectedClicked);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    // The ID column is narrower than a caption section would be by default.
    horizontalHeader()->setMinimumSectionSize(1);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    ApplyPalette();
    Bind(rsDownloadView);
    if (!bInitial)
        bGridFormatted = true;
}

void DownloadGrid::ApplyPalette()
{
    QPalette grid = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        grid.setColor(group, QPalette::Window, kGridBack);
        grid.setColor(group, QPalette::WindowText, kGridLine);
        grid.setColor(group, QPalette::Base, kRowBack);
        grid.setColor(group, QPalette::AlternateBase, kRowBack);
        grid.setColor(group, QPalette::Text, Qt::black);
        grid.setColor(group, QPalette::Mid, kRuleGrey);
        grid.setColor(group, QPalette::Highlight, kSelectedBack);
        grid.setColor(group, QPalette::HighlightedText, kSelectedText);
    }
    setPalette(grid);

    QPalette captions = horizontalHeader()->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        captions.setColor(group, QPalette::Button, kCaptionBack);
        captions.setColor(group, QPalette::ButtonText, kCaptionText);
        captions.setColor(group, QPalette::Window, kGridBack);
    }
    horizontalHeader()->setPalette(captions);
}

void DownloadGrid::Bind(DownloadViewModel *rsDownloadView)
{
    m_editedCell = QPersistentModelIndex();
    m_pView = rsDownloadView;
    setModel(rsDownloadView);
    if (rsDownloadView)
        DownloadGrid_InitializeLayout();
}

void DownloadGrid::DownloadGrid_InitializeLayout()
{
    for (int i = 0; i < DownloadViewModel::ColumnCount; ++i) {
        m_pView->setHeaderData(i, Qt::Horizontal, QString::fromLatin1(kCaptions[i]));
        setColumnWidth(i, TwipsToPixels(kColumnTwips[i], logicalDpiX()));
    }
    setItemDelegateForColumn(DownloadViewModel::colStatus, m_pBarDelegate);
    setItemDelegateForColumn(DownloadViewModel::colFileName, m_pFileNameDelegate);
}

void DownloadGrid::ClearDataSource()
{
    m_editedCell = QPersistentModelIndex();
    m_pView = nullptr;
    setModel(nullptr);
}

DownloadViewModel *DownloadGrid::DataSource() const
{
    return m_pView;
}

QModelIndexList DownloadGrid::Selected() const
{
    return selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
}

bool DownloadGrid::IsCellSelected(int iRow, int iColumn) const
{
    return m_pView && selectionModel()
           && selectionModel()->isSelected(m_pView->index(iRow, iColumn));
}

void DownloadGrid::SetCellSelected(int iRow, int iColumn)
{
    if (!m_pView || !selectionModel() || IsCellSelected(iRow, iColumn))
        return;
    const QModelIndex cell = m_pView->index(iRow, iColumn);
    if (cell.isValid())
        selectionModel()->select(cell, QItemSelectionModel::Select);
}

bool DownloadGrid::IsRowSelected(int iRow) const
{
    return m_pView && selectionModel() && selectionModel()->isRowSelected(iRow, QModelIndex());
}

void DownloadGrid::SetRowSelected(int iRow)
{
    if (!m_pView || !selectionModel())
        return;
    const QModelIndex cell = m_pView->index(iRow, 0);
    if (cell.isValid())
        selectionModel()->select(cell, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void DownloadGrid::ScrollRowsBy(int iLines)
{
    verticalScrollBar()->setValue(verticalScrollBar()->value() + iLines);
}

bool DownloadGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool bEditing = QTableView::edit(index, trigger, event);
    // The current cell may move on before the editor commits, so the edited
    // cell is remembered here.
    if (bEditing && state() == QAbstractItemView::EditingState)
        m_editedCell = index;
    return bEditing;
}

void DownloadGrid::commitData(QWidget *editor)
{
    const QModelIndex cell = m_editedCell;
    if (!cell.isValid() || cell.model() != model()) {
        QTableView::commitData(editor);
        return;
    }
    const QByteArray property = editor->metaObject()->userProperty().name();
    const QVariant vNewValue = editor->property(property.constData());
    bool bCancel = false;
    Q_EMIT BeforeCellUpdate(cell, vNewValue, &bCancel);
    if (bCancel)
        return;
    QTableView::commitData(editor);
    Q_EMIT AfterCellUpdate(cell);
}
