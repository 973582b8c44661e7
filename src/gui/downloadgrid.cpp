#include "gui/downloadgrid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPainter>
#include <QPaintEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QToolTip>

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

const char *const kCaptions[] = {" ", QT_TRANSLATE_NOOP("DownloadGrid", "Video URL"),
                                 QT_TRANSLATE_NOOP("DownloadGrid", "Local File Name"),
                                 QT_TRANSLATE_NOOP("DownloadGrid", "Download Status"),
                                 QT_TRANSLATE_NOOP("DownloadGrid", "File Size")};

// Styles pick the table's rule colour themselves (Fusion darkens the window
// colour); the grid's rules are its own grey whatever the desktop's style.
class GridRuleStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *pOption, const QWidget *pWidget,
                  QStyleHintReturn *pReturn) const override
    {
        if (hint == SH_Table_GridLineColor)
            return static_cast<int>(kRuleGrey.rgba());
        return QProxyStyle::styleHint(hint, pOption, pWidget, pReturn);
    }
};

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
    // Arrows move between cells; Tab goes on to the next control.
    setTabKeyNavigation(false);
    auto *pRuleStyle = new GridRuleStyle;
    pRuleStyle->setParent(this);
    setStyle(pRuleStyle);
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
    // A caption click would select a whole column, and removing the
    // selection would then remove every item.
    horizontalHeader()->setSectionsClickable(false);
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
        // The viewport shows the grid's own grey below the rows; the rows
        // themselves are painted white (paintEvent).
        grid.setColor(group, QPalette::Base, kGridBack);
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

void DownloadGrid::paintEvent(QPaintEvent *pEvent)
{
    const int iRows = model() ? model()->rowCount() : 0;
    const int iColumns = model() ? model()->columnCount() : 0;
    if (iRows > 0 && iColumns > 0) {
        const QRect rows(0, 0,
                         columnViewportPosition(iColumns - 1) + columnWidth(iColumns - 1),
                         rowViewportPosition(iRows - 1) + rowHeight(iRows - 1));
        QPainter painter(viewport());
        painter.fillRect(rows.intersected(pEvent->rect()), kRowBack);
    }
    QTableView::paintEvent(pEvent);
}

void DownloadGrid::keyPressEvent(QKeyEvent *pEvent)
{
    // Shift+F10 is the other key for the context menu, beside the Menu key
    // that Qt already turns into one; the menu opens at the current cell.
    if (pEvent->key() == Qt::Key_F10 && pEvent->modifiers() == Qt::ShiftModifier) {
        const QRect cell = visualRect(currentIndex());
        const QPoint at = viewport()->mapTo(
            this, cell.isValid() ? cell.center() : viewport()->rect().topLeft());
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at),
                               pEvent->modifiers());
        QCoreApplication::sendEvent(this, &menu);
        pEvent->accept();
        return;
    }
    QTableView::keyPressEvent(pEvent);
}

bool DownloadGrid::viewportEvent(QEvent *pEvent)
{
    if (pEvent->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(pEvent);
    const auto *pHelp = static_cast<QHelpEvent *>(pEvent);
    const QModelIndex cell = indexAt(pHelp->pos());
    // The model's own tip (an error's reason, the whole address) first, then
    // the text of a cell too narrow for it; a cell that shows all of its
    // text has no tip.
    QString sTip = cell.data(Qt::ToolTipRole).toString();
    if (sTip.isEmpty())
        sTip = CutText(cell);
    if (sTip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(pHelp->globalPos(), sTip, viewport(), visualRect(cell));
    return true;
}

QString DownloadGrid::CutText(const QModelIndex &cell) const
{
    if (!cell.isValid())
        return QString();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(cell);
    const QString sText = cell.data(Qt::DisplayRole).toString();
    // The painter's own measure, margins included: what it draws cut is
    // wider than the cell.
    return itemDelegateForIndex(cell)->sizeHint(option, cell).width() > option.rect.width()
               ? sText
               : QString();
}

void DownloadGrid::Bind(DownloadViewModel *rsDownloadView)
{
    const GridUserState kept = TakeUserState();
    m_pView = rsDownloadView;
    setModel(rsDownloadView);
    DeleteStaleSelectionModels();
    if (!rsDownloadView) {
        m_pFileNameDelegate->DropKeptEditor();
        return;
    }
    DownloadGrid_InitializeLayout();
    RestoreUserState(kept);
}

void DownloadGrid::DeleteStaleSelectionModels()
{
    // Deleted at once rather than later: during a run the event loop may not
    // turn between rebuilds, and nothing refers to them once setModel is done.
    const QList<QItemSelectionModel *> models = findChildren<QItemSelectionModel *>();
    for (QItemSelectionModel *pModel : models) {
        if (pModel != selectionModel() && pModel != horizontalHeader()->selectionModel()
            && pModel != verticalHeader()->selectionModel())
            delete pModel;
    }
}

GridUserState DownloadGrid::TakeUserState()
{
    GridUserState kept;
    // A view deleted while bound leaves the grid on Qt's empty model.
    if (!m_pView || model() != m_pView) {
        m_editedCell = QPersistentModelIndex();
        return kept;
    }
    kept.TakeSelection(*m_pView, selectionModel()->selection());
    const QModelIndex current = selectionModel()->currentIndex();
    if (current.isValid())
        kept.current = {GridUserState::RowIn(*m_pView, current.row()), current.column()};
    const int iTop = rowAt(0);
    if (iTop >= 0) {
        kept.top = GridUserState::RowIn(*m_pView, iTop);
        kept.iTopPixelsHidden = -rowViewportPosition(iTop);
    }
    kept.iVerticalValue = verticalScrollBar()->value();
    kept.iHorizontalValue = horizontalScrollBar()->value();

    auto *pLine = state() == EditingState
                          && m_editedCell.column() == DownloadViewModel::colFileName
                      ? qobject_cast<QLineEdit *>(indexWidget(m_editedCell))
                      : nullptr;
    if (pLine) {
        kept.bEditorOpen = true;
        kept.editor.cell = {GridUserState::RowIn(*m_pView, m_editedCell.row()),
                            m_editedCell.column()};
        kept.editor.iCursor = pLine->cursorPosition();
        kept.editor.iSelectionStart = pLine->selectionStart();
        kept.editor.iSelectionLength = pLine->selectionLength();
        m_pFileNameDelegate->KeepEditor(pLine);
        closeEditor(pLine, QAbstractItemDelegate::NoHint);
    }
    m_editedCell = QPersistentModelIndex();
    return kept;
}

void DownloadGrid::RestoreUserState(const GridUserState &kept)
{
    SerialRowFinder rows(*m_pView);
    const QItemSelection cells = kept.SelectionIn(*m_pView, rows);
    if (!cells.isEmpty())
        selectionModel()->select(cells, QItemSelectionModel::Select);
    const int iCurrentRow = GridUserState::NewRow(kept.current.row, rows);
    if (iCurrentRow >= 0)
        selectionModel()->setCurrentIndex(m_pView->index(iCurrentRow, kept.current.iColumn),
                                          QItemSelectionModel::NoUpdate);
    // After the current cell: making a cell current scrolls to it.
    RestoreScrollPosition(kept, rows);
    if (kept.bEditorOpen)
        ReopenEditor(kept.editor, GridUserState::NewRow(kept.editor.cell.row, rows));
}

void DownloadGrid::RestoreScrollPosition(const GridUserState &kept, SerialRowFinder &rows)
{
    int iVertical = kept.iVerticalValue;
    if (kept.iVerticalValue != 0 || kept.iHorizontalValue != 0) {
        // The scroll bars take the new view's extent only once it is laid out.
        executeDelayedItemsLayout();
        const int iTopRow = GridUserState::NewRow(kept.top, rows);
        if (iTopRow >= 0 && kept.iVerticalValue != 0)
            iVertical = verticalScrollMode() == ScrollPerItem
                            ? verticalHeader()->visualIndex(iTopRow)
                            : verticalHeader()->sectionPosition(iTopRow) + kept.iTopPixelsHidden;
    }
    verticalScrollBar()->setValue(iVertical);
    horizontalScrollBar()->setValue(kept.iHorizontalValue);
}

void DownloadGrid::ReopenEditor(const GridUserState::Editor &editor, int iRow)
{
    // Its item gone, the editor closes as it is, uncommitted.
    const QModelIndex cell = m_pView->index(iRow, editor.cell.iColumn);
    if (!cell.isValid() || !edit(cell, AllEditTriggers, nullptr)) {
        m_pFileNameDelegate->DropKeptEditor();
        return;
    }
    auto *pLine = qobject_cast<QLineEdit *>(indexWidget(cell));
    if (!pLine)
        return;
    if (editor.iSelectionStart >= 0 && editor.iSelectionLength > 0) {
        // The cursor sits at whichever end the user extended the selection to.
        const int iAnchor = editor.iCursor == editor.iSelectionStart
                                ? editor.iSelectionStart + editor.iSelectionLength
                                : editor.iSelectionStart;
        pLine->setSelection(iAnchor, editor.iCursor - iAnchor);
    } else {
        pLine->setCursorPosition(editor.iCursor);
    }
}

void DownloadGrid::DownloadGrid_InitializeLayout()
{
    for (int i = 0; i < DownloadViewModel::ColumnCount; ++i) {
        m_pView->setHeaderData(i, Qt::Horizontal, tr(kCaptions[i]));
        setColumnWidth(i, TwipsToPixels(kColumnTwips[i], logicalDpiX()));
    }
    setItemDelegateForColumn(DownloadViewModel::colStatus, m_pBarDelegate);
    setItemDelegateForColumn(DownloadViewModel::colFileName, m_pFileNameDelegate);
}

void DownloadGrid::ClearDataSource()
{
    Bind(nullptr);
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
    // An editor carried over to a new view commits to its item's cell there;
    // one the grid no longer holds commits nothing.
    const QModelIndex cell = m_editedCell;
    if (!cell.isValid() || cell.model() != model() || indexWidget(cell) != editor) {
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
