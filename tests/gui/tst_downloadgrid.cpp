#include <QAction>
#include <QQuickItem>
#include <QQuickWindow>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include "gui/downloadgrid.h"
#include "gui/frmmain.h"
#include "gui/progressbardelegate.h"
#include "gui/skinhost.h"
#include "core/programfiles.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/filenameeditor.h"
#include "list/idownloadgrid.h"
#include "list/listcommands.h"
#include "list/urladder.h"
#include "httptestserver.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "settings/programsettings.h"

// The grid on the main window: its fixed layout through the list's life, the
// bars after rebinding, the editing commands and renaming as the user reaches
// them, and what the user holds in the grid across rebuilds.
class tst_DownloadGrid : public QObject
{
    Q_OBJECT

private:
    static DownloadGrid *Grid(frmMain &window)
    {
        return window.findChild<DownloadGrid *>(QStringLiteral("DownloadGrid"));
    }

    static void Add(frmMain &window, const QString &sName)
    {
        window.Session().Adder().AddURL(QStringLiteral("http://www.youtube.com/watch?v=")
                                        + sName);
    }

    static QString Names(frmMain &window)
    {
        QString sNames;
        for (const DownloadItem &item : window.Session().ListStore().Items())
            sNames += item.Video_URL.right(1);
        return sNames;
    }

    static void VerifyLayout(DownloadGrid *grid)
    {
        static const char *const captions[] = {" ", "Video URL", "Local File Name",
                                               "Download Status", "File Size"};
        QVERIFY(grid->model());
        QVERIFY(grid->bGridFormatted);
        for (int i = 0; i < DownloadViewModel::ColumnCount; ++i) {
            QCOMPARE(grid->model()->headerData(i, Qt::Horizontal).toString(),
                     QString::fromLatin1(captions[i]));
            QCOMPARE(grid->columnWidth(i), DownloadGrid::TwipsToPixels(
                                               DownloadGrid::kColumnTwips[i], grid->logicalDpiX()));
            const bool bEditable =
                grid->model()->flags(grid->model()->index(0, i)) & Qt::ItemIsEditable;
            QCOMPARE(bEditable, i == DownloadViewModel::colFileName);
        }
    }

    // Items named by one character: "B" is http://videos/B, its file "fileB".
    static void AddItems(DownloadListStore &store, const QString &sNames)
    {
        for (const QChar name : sNames) {
            QString sStatus;
            QString sSize;
            store.AddDownloadItem(QStringLiteral("http://videos/") + name,
                                  QStringLiteral("file") + name, sStatus, sSize);
        }
    }

    static int IndexOf(const DownloadListStore &store, QChar name)
    {
        for (int i = 0; i < store.Count(); ++i) {
            if (store.Items().at(i).Video_URL.endsWith(name))
                return i;
        }
        return -1;
    }

    // Edits the list the way commands and a run do, then rebuilds it once.
    // Words: "+E" appends E, "^E" moves E to the top, "vE" moves E down one,
    // "-E" removes E, "|" rebuilds in between.
    static void EditAndRebuild(DownloadListStore &store, const QString &sEdits)
    {
        for (const QString &sWord : sEdits.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (sWord == QLatin1String("|")) {
                store.FillDownloadList();
                continue;
            }
            const QChar name = sWord.at(1);
            const auto iID = [&] { return static_cast<qint16>(IndexOf(store, name) + 1); };
            if (sWord.at(0) == QLatin1Char('+'))
                AddItems(store, name);
            else if (sWord.at(0) == QLatin1Char('-'))
                store.RemoveDownloadItem(iID());
            else if (sWord.at(0) == QLatin1Char('v'))
                store.MoveItemDown(iID());
            while (sWord.at(0) == QLatin1Char('^') && iID() > 1)
                store.MoveItemUp(iID());
        }
        store.FillDownloadList();
    }

    static int RowOf(const DownloadViewModel &view, QChar name)
    {
        for (int iRow = 0; iRow < view.RecordCount(); ++iRow) {
            if (view.CellText(iRow, DownloadViewModel::colVideo_URL).endsWith(name))
                return iRow;
        }
        return -1;
    }

    // Cells as item name and column ("B1"); "B*" is B's whole row.
    static void SelectCells(IDownloadGrid &grid, const QString &sCells)
    {
        for (const QString &sCell : sCells.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int iRow = RowOf(*grid.DataSource(), sCell.at(0));
            if (sCell.at(1) == QLatin1Char('*'))
                grid.SetRowSelected(iRow);
            else
                grid.SetCellSelected(iRow, sCell.mid(1).toInt());
        }
    }

    static QString CellName(const QModelIndex &cell)
    {
        if (!cell.isValid())
            return QString();
        const auto *pView = static_cast<const DownloadViewModel *>(cell.model());
        return pView->CellText(cell.row(), DownloadViewModel::colVideo_URL).right(1)
               + QString::number(cell.column());
    }

    static QString SelectedCells(const IDownloadGrid &grid)
    {
        QStringList cells;
        for (const QModelIndex &cell : grid.Selected())
            cells.append(CellName(cell));
        cells.sort();
        return cells.join(QLatin1Char(' '));
    }

    static QString Expanded(const QString &sCells)
    {
        QStringList cells;
        for (const QString &sCell : sCells.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            for (int i = 0; i < DownloadViewModel::ColumnCount; ++i) {
                if (sCell.at(1) == QLatin1Char('*') || sCell.mid(1).toInt() == i)
                    cells.append(sCell.at(0) + QString::number(i));
            }
        }
        cells.sort();
        return cells.join(QLatin1Char(' '));
    }

    // Opens the editor on row iRow's file name, types sText and presses Enter.
    static void Rename(DownloadGrid *grid, int iRow, const QString &sText)
    {
        const QModelIndex cell = grid->model()->index(iRow, DownloadViewModel::colFileName);
        grid->setCurrentIndex(cell);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F2);
        auto *editor = grid->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, sText);
        QTest::keyClick(editor, Qt::Key_Return);
        // Enter has the editor commit through a posted call.
        QCoreApplication::sendPostedEvents();
    }

private Q_SLOTS:
    void twipsFollowTheScreenResolution_data();
    void twipsFollowTheScreenResolution();
    void startUpPlacesAnEmptyGrid();
    void layoutHoldsAfterEveryBinding();
    void gridIsPaintedInItsOwnColours();
    void tabLeavesAndCaptionClicksSelectNothing();
    void barIsDrawnAfterEveryRebinding();
    void commandsFromButtonsKeysAndMenu();
    void contextMenuOpensFromTheKeyboard_data();
    void contextMenuOpensFromTheKeyboard();
    void cutCellsShowTheirTextAsToolTip_data();
    void cutCellsShowTheirTextAsToolTip();
    void renamingInTheGrid();
    void renamedItemIsDownloadedUnderItsNewName();
    void oneSelectionModelThroughRebuilds_data();
    void oneSelectionModelThroughRebuilds();
    void selectionFollowsItemsAcrossARebuild_data();
    void selectionFollowsItemsAcrossARebuild();
    void scrollPositionFollowsTheTopItem_data();
    void scrollPositionFollowsTheTopItem();
    void openEditorSurvivesARebuild_data();
    void openEditorSurvivesARebuild();
};

void tst_DownloadGrid::twipsFollowTheScreenResolution_data()
{
    QTest::addColumn<int>("iTwips");
    QTest::addColumn<int>("iDpi");
    QTest::addColumn<int>("iPixels");
    QTest::newRow("ID at 96") << 300 << 96 << 20;
    QTest::newRow("Video URL at 96") << 3800 << 96 << 253;
    QTest::newRow("Status at 96") << 1700 << 96 << 113;
    QTest::newRow("File Size at 96") << 750 << 96 << 50;
    QTest::newRow("Video URL at 144") << 3800 << 144 << 380;
    QTest::newRow("Status at 120") << 1700 << 120 << 142;
}

void tst_DownloadGrid::twipsFollowTheScreenResolution()
{
    QFETCH(int, iTwips);
    QFETCH(int, iDpi);
    QFETCH(int, iPixels);
    QCOMPARE(DownloadGrid::TwipsToPixels(iTwips, iDpi), iPixels);
}

void tst_DownloadGrid::startUpPlacesAnEmptyGrid()
{
    frmMain window;
    DownloadGrid *grid = Grid(window);
    QVERIFY(grid);
    QCOMPARE(grid->geometry(), QRect(35, 282, 573, 180));
    QVERIFY(!grid->model());
    QVERIFY(!grid->bGridFormatted);

    const struct
    {
        const char *name, *caption, *tip;
    } buttons[] = {{"cmdSelectAll", "&A", "Select All"},
                   {"cmdRemoveSelected", "X", "Remove Selected Items"},
                   {"cmdUp", "/|\\", "Move Item Up"},
                   {"cmdDown", "\\|/", "Move item down"},
                   {"cmdClear", "&X", "Clear Completed items"},
                   {"cmdRetry", "&R", "Retry"}};
    for (const auto &button : buttons) {
        auto *cmd = window.findChild<QPushButton *>(QLatin1String(button.name));
        QVERIFY2(cmd, button.name);
        QCOMPARE(cmd->text(), QLatin1String(button.caption));
        QCOMPARE(cmd->toolTip(), QLatin1String(button.tip));
    }
    QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    // The list's six, after the item's own three (Open, Show in folder, Copy address).
    QCOMPARE(grid->actions().size(), 9);
}

// Rows white, the grid's grey below them, rules in the darker grey: read
// off the pixels the grid paints, whatever the desktop's style would pick.
void tst_DownloadGrid::gridIsPaintedInItsOwnColours()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    Add(window, QStringLiteral("A"));
    Add(window, QStringLiteral("B"));
    const QImage shot = grid->viewport()->grab().toImage();
    const int iRowMiddle = grid->rowViewportPosition(0) + grid->rowHeight(0) / 2;
    const int iSizeRight = grid->columnViewportPosition(4) + grid->columnWidth(4) - 3;
    QCOMPARE(shot.pixelColor(iSizeRight, iRowMiddle), QColor(255, 255, 255));
    QCOMPARE(shot.pixelColor(iSizeRight, grid->rowViewportPosition(1) + grid->rowHeight(1) + 5),
             QColor(234, 233, 232));
    QCOMPARE(shot.pixelColor(grid->columnViewportPosition(2) - 1, iRowMiddle),
             QColor(141, 141, 141));
}

void tst_DownloadGrid::tabLeavesAndCaptionClicksSelectNothing()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    DownloadGrid *grid = Grid(window);
    Add(window, QStringLiteral("A"));
    Add(window, QStringLiteral("B"));

    // A caption click must not select a column that Remove would then empty.
    const QHeaderView *header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QVERIFY(grid->Selected().isEmpty());
    window.Commands().RemoveSelected();
    QCOMPARE(Names(window), QStringLiteral("AB"));

    // Arrows move between cells; Tab and Shift+Tab leave the list for the
    // controls after and before it, also when a click put the focus there;
    // Shift+Tab from the first button under it comes back.
    for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
        grid->setFocus(Qt::MouseFocusReason);
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(grid->currentIndex().column(), 2);
        QTest::keyClick(grid, modifiers ? Qt::Key_Backtab : Qt::Key_Tab, modifiers);
        QVERIFY(!grid->hasFocus());
        const QQuickItem *pFocused = window.Skin().quickWindow()->activeFocusItem();
        QVERIFY(pFocused);
        QCOMPARE(pFocused->objectName(),
                 modifiers ? QStringLiteral("startButton") : QStringLiteral("selectAllButton"));
        if (!modifiers) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QTRY_VERIFY(grid->hasFocus());
        }
    }
}

void tst_DownloadGrid::layoutHoldsAfterEveryBinding()
{
    frmMain window;
    window.show();
    DownloadGrid *grid = Grid(window);

    Add(window, QStringLiteral("A"));
    VerifyLayout(grid);
    Add(window, QStringLiteral("B"));
    VerifyLayout(grid);

    DownloadListStore &store = window.Session().ListStore();
    for (const DownloadItem &item : store.Items())
        store.Finish(item.uSerial, ItemState::Complete);
    window.Session().ListStore().FillDownloadList();
    window.Commands().ClearCompleted();
    QVERIFY(!grid->model());
    QVERIFY(!grid->bGridFormatted);

    Add(window, QStringLiteral("C"));
    VerifyLayout(grid);
    QCOMPARE(grid->model()->rowCount(), 1);
}

void tst_DownloadGrid::barIsDrawnAfterEveryRebinding()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    Add(window, QStringLiteral("A"));
    Add(window, QStringLiteral("B"));
    DownloadListStore &store = window.Session().ListStore();
    store.SetStatus(store.ItemAt(1)->uSerial, u"100");
    const QColor bar =
        grid->BarDelegate()->BarPalette().color(QPalette::Active, QPalette::Highlight);

    for (int iRebuild = 0; iRebuild < 2; ++iRebuild) {
        window.Session().ListStore().FillDownloadList();
        const QRect cell =
            grid->visualRect(grid->model()->index(1, DownloadViewModel::colStatus));
        const QImage image = grid->viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(cell.left() + 1, cell.top() + 1), bar);
        const QRect waiting =
            grid->visualRect(grid->model()->index(0, DownloadViewModel::colStatus));
        QVERIFY(image.pixelColor(waiting.left() + 1, waiting.top() + 1) != bar);
    }
}

void tst_DownloadGrid::commandsFromButtonsKeysAndMenu()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    for (const char *sName : {"A", "B", "C", "D"})
        Add(window, QLatin1String(sName));

    // A click on a cell of C, then the move-up button.
    const QRect c = grid->visualRect(grid->model()->index(2, DownloadViewModel::colVideo_URL));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, c.center());
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdUp")), Qt::LeftButton);
    QCOMPARE(Names(window), QStringLiteral("ACBD"));
    QCOMPARE(SelectedCells(*grid), QStringLiteral("C1"));

    // Delete removes the selected items.
    const QRect d = grid->visualRect(grid->model()->index(3, DownloadViewModel::colStatus));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, d.center());
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(Names(window), QStringLiteral("ACB"));

    // Ctrl+A selects every row.
    QTest::keySequence(grid, QKeySequence::SelectAll);
    for (int iRow = 0; iRow < 3; ++iRow)
        QVERIFY(grid->IsRowSelected(iRow));

    // The context menu carries the commands; clear completed from there.
    DownloadListStore &store = window.Session().ListStore();
    store.Finish(store.ItemAt(1)->uSerial, ItemState::Complete);
    window.Session().ListStore().FillDownloadList();
    // Ctrl+R sets a failed item back to waiting.
    store.Finish(store.ItemAt(0)->uSerial, ItemState::Failed);
    window.Session().ListStore().FillDownloadList();
    const QRect first = grid->visualRect(grid->model()->index(0, DownloadViewModel::colStatus));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, first.center());
    QTest::keyClick(grid, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(store.ItemAt(0)->Status, QStringLiteral("Waiting"));
    QAction *clear = grid->findChild<QAction *>(QStringLiteral("cmdClearAction"));
    QVERIFY(clear);
    QCOMPARE(clear->text(), QStringLiteral("Clear Completed items"));
    clear->trigger();
    QCOMPARE(Names(window), QStringLiteral("AB"));

    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdSelectAll")),
                      Qt::LeftButton);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdRemoveSelected")),
                      Qt::LeftButton);
    QVERIFY(window.Session().ListStore().IsListEmpty());
    QVERIFY(!grid->model());
}

void tst_DownloadGrid::contextMenuOpensFromTheKeyboard_data()
{
    QTest::addColumn<int>("iKey");
    QTest::addColumn<bool>("bShift");
    QTest::addColumn<bool>("bOpens");
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << true << true;
    QTest::newRow("F10 alone") << int(Qt::Key_F10) << false << false;
}

void tst_DownloadGrid::contextMenuOpensFromTheKeyboard()
{
    QFETCH(int, iKey);
    QFETCH(bool, bShift);
    QFETCH(bool, bOpens);
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    DownloadGrid *grid = Grid(window);
    Add(window, QStringLiteral("A"));
    grid->setCurrentIndex(grid->model()->index(0, DownloadViewModel::colFileName));
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());

    QStringList shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&shown] {
        if (auto *pMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *pAction : pMenu->actions())
                shown << pAction->text();
            pMenu->close();
        }
    });
    closer.start(10);
    // Through the window, as the desktop delivers keys.
    QTest::keyClick(window.windowHandle(), Qt::Key(iKey),
                    bShift ? Qt::ShiftModifier : Qt::NoModifier);
    QTest::qWait(50);
    QCOMPARE(shown.contains(QStringLiteral("Clear Completed items")), bOpens);
}

void tst_DownloadGrid::cutCellsShowTheirTextAsToolTip_data()
{
    QTest::addColumn<int>("iRow");
    QTest::addColumn<int>("iColumn");
    QTest::addColumn<QString>("sTip");
    const QString sLongName = QStringLiteral("holiday-in-the-mountains-2007-part-one.flv");
    QTest::newRow("short name") << 0 << int(DownloadViewModel::colFileName) << QString();
    QTest::newRow("long name") << 1 << int(DownloadViewModel::colFileName) << sLongName;
    QTest::newRow("short status") << 0 << int(DownloadViewModel::colStatus) << QString();
    QTest::newRow("size so far") << 1 << int(DownloadViewModel::colFileSize)
                                 << QStringLiteral("19.1 MB so far..");
    QTest::newRow("short size") << 0 << int(DownloadViewModel::colFileSize) << QString();
    QTest::newRow("ID 1") << 0 << int(DownloadViewModel::colID) << QString();
    // Row numbers up to three digits show whole.
    QTest::newRow("ID 10") << 9 << int(DownloadViewModel::colID) << QString();
    QTest::newRow("ID 999") << 998 << int(DownloadViewModel::colID) << QString();
}

void tst_DownloadGrid::cutCellsShowTheirTextAsToolTip()
{
    QFETCH(int, iRow);
    QFETCH(int, iColumn);
    QFETCH(QString, sTip);
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    DownloadListStore &store = window.Session().ListStore();
    for (int i = 0; i < qMax(10, iRow + 1); ++i) {
        QString sStatus = QStringLiteral("Waiting");
        QString sSize = i == 1 ? QStringLiteral("19.1 MB so far..") : QStringLiteral("1 MB");
        store.AddDownloadItem(QStringLiteral("http://videos/%1").arg(i),
                              i == 1 ? QStringLiteral("holiday-in-the-mountains-2007-part-one.flv")
                                     : QStringLiteral("a.flv"),
                              sStatus, sSize);
    }
    store.FillDownloadList();
    const QModelIndex cell = grid->model()->index(iRow, iColumn);
    grid->scrollTo(cell);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());

    const QPoint at = grid->visualRect(cell).center();
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), sTip);
}

void tst_DownloadGrid::renamingInTheGrid()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    Add(window, QStringLiteral("A"));
    Add(window, QStringLiteral("B"));
    const DownloadViewModel *pView = grid->DataSource();
    const DownloadItem &item = window.Session().ListStore().Items().at(1);

    Rename(grid, 1, QStringLiteral("my:clip?.flv"));
    QCOMPARE(grid->model()->index(1, DownloadViewModel::colFileName).data().toString(),
             QStringLiteral("myclip.flv"));
    QCOMPARE(item.FileName, QStringLiteral("myclip.flv"));
    QCOMPARE(window.FileNames().sPendingFileName, QStringLiteral("myclip.flv"));

    Rename(grid, 1, QStringLiteral("???"));
    QCOMPARE(grid->model()->index(1, DownloadViewModel::colFileName).data().toString(),
             QStringLiteral("myclip.flv"));
    QCOMPARE(item.FileName, QStringLiteral("myclip.flv"));

    QCOMPARE(grid->DataSource(), pView);
    QCOMPARE(window.Session().ListStore().Items().at(0).FileName,
             QStringLiteral("Waiting (Auto Detect)"));
}

// The queue replaces only the placeholder name with the server's, so a name
// typed before the run names the file.
void tst_DownloadGrid::renamedItemIsDownloadedUnderItsNewName()
{
    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray content(5000, 'v');
    server.SetRoute(QStringLiteral("/files/clip.flv"), HttpTestServer::Ok(content, "video/x-flv"));
    server.SetRoute(QStringLiteral("/angryalien.com/clip.html"),
                    HttpTestServer::Ok(QByteArray("<html><embed src=\"")
                                           + server.Url(QStringLiteral("/files/clip.flv")).toLatin1()
                                           + "\" width=400></html>",
                                       "text/html"));
    QTemporaryDir downloads;
    QTemporaryDir scratch;

    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadSession &session = window.Session();
    session.Settings().sDownloadDir = downloads.path();
    session.Pages().SetScratchDir(scratch.path());
    session.Queue().SetConnectivityTest([] { return true; });
    session.Adder().AddURL(server.Url(QStringLiteral("/angryalien.com/clip.html")));
    Rename(Grid(window), 0, QStringLiteral("holiday|2007.flv"));

    session.Queue().cmdStartDownload_Click();

    const DownloadItem &item = session.ListStore().Items().at(0);
    QCOMPARE(item.Status, QStringLiteral("Complete"));
    QCOMPARE(item.FileName, QStringLiteral("holiday2007.flv"));
    QFile file(QDir(downloads.path()).filePath(QStringLiteral("holiday2007.flv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QVERIFY(!QFile::exists(QDir(downloads.path()).filePath(QStringLiteral("clip.flv"))));

    // Renamed once saved: the list's name changes, the file keeps its own,
    // and the help says just that.
    Rename(Grid(window), 0, QStringLiteral("later.flv"));
    QCOMPARE(item.FileName, QStringLiteral("later.flv"));
    QVERIFY(file.exists());
    QVERIFY(!QFile::exists(QDir(downloads.path()).filePath(QStringLiteral("later.flv"))));
    QFile help(ProgramFiles::HelpDocument());
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QString sHelp = QString::fromUtf8(help.readAll()).simplified();
    QVERIFY(!sHelp.contains(QStringLiteral("Until an item is downloaded")));
    QVERIFY(sHelp.contains(QStringLiteral("no file on the disk is ever renamed")));
}

void tst_DownloadGrid::oneSelectionModelThroughRebuilds_data()
{
    QTest::addColumn<QString>("sRound");
    QTest::addColumn<bool>("bEditing");
    QTest::newRow("rebuilds") << "" << false;
    QTest::newRow("a row moved each time") << "vA" << false;
    QTest::newRow("list emptied and refilled") << "-A -B -C | +A +B +C" << false;
    QTest::newRow("an editor open") << "vB" << true;
}

// The grid must not gather the selection models that each binding brings:
// during a run the event loop may not turn between rebuilds.
void tst_DownloadGrid::oneSelectionModelThroughRebuilds()
{
    QFETCH(QString, sRound);
    QFETCH(bool, bEditing);
    frmMain window;
    window.show();
    DownloadGrid *grid = Grid(window);
    DownloadListStore &store = window.Session().ListStore();
    AddItems(store, QStringLiteral("ABC"));
    store.FillDownloadList();
    grid->SetCellSelected(0, DownloadViewModel::colVideo_URL);
    if (bEditing)
        grid->edit(grid->model()->index(0, DownloadViewModel::colFileName));

    for (int i = 0; i < 30; ++i)
        EditAndRebuild(store, sRound);

    QCOMPARE(grid->findChildren<QItemSelectionModel *>().size(), 1);
    QCOMPARE(grid->selectionModel()->model(), grid->model());
    QCOMPARE(grid->horizontalHeader()->selectionModel(), grid->selectionModel());
    QCOMPARE(grid->verticalHeader()->selectionModel(), grid->selectionModel());
    QCOMPARE(grid->viewport()->findChildren<QLineEdit *>().size(), bEditing ? 1 : 0);
}

void tst_DownloadGrid::selectionFollowsItemsAcrossARebuild_data()
{
    QTest::addColumn<QString>("sSelect");
    QTest::addColumn<QString>("sEdits");
    QTest::addColumn<QString>("sExpected");
    QTest::newRow("nothing changed") << "B1 D3" << "" << "B1 D3";
    QTest::newRow("an item inserted before") << "B1 D3" << "+E ^E" << "B1 D3";
    QTest::newRow("a selected item moved down") << "B1 D3" << "vB" << "B1 D3";
    QTest::newRow("another item moved past") << "C2" << "vB" << "C2";
    QTest::newRow("a selected item removed") << "B1 D3" << "-B" << "D3";
    QTest::newRow("all selected items removed") << "B1 D3" << "-B -D" << "";
    QTest::newRow("whole rows, the first moved to the end")
        << "A* B*" << "vA vA vA" << "A* B*";
    QTest::newRow("whole rows, one between removed") << "A* C*" << "-B" << "A* C*";
    QTest::newRow("list emptied and refilled") << "A1" << "-A -B -C -D | +A" << "";
}

// Cells are named by item, so a grid that kept rows instead of items shows
// other letters here.
void tst_DownloadGrid::selectionFollowsItemsAcrossARebuild()
{
    QFETCH(QString, sSelect);
    QFETCH(QString, sEdits);
    QFETCH(QString, sExpected);
    frmMain window;
    window.show();
    DownloadGrid *grid = Grid(window);
    DownloadListStore &store = window.Session().ListStore();
    AddItems(store, QStringLiteral("ABCD"));
    store.FillDownloadList();
    SelectCells(*grid, sSelect);
    // The current cell: column 1 of the last item selected.
    const QChar currentItem = sSelect.split(QLatin1Char(' ')).last().at(0);
    const int iCurrentRow = RowOf(*grid->DataSource(), currentItem);
    grid->selectionModel()->setCurrentIndex(grid->model()->index(iCurrentRow, 1),
                                            QItemSelectionModel::NoUpdate);
    const quint32 uCurrentSerial = grid->DataSource()->SerialAt(iCurrentRow);

    EditAndRebuild(store, sEdits);

    QCOMPARE(SelectedCells(*grid), Expanded(sExpected));
    QCOMPARE(CellName(grid->currentIndex()), store.IndexOfSerial(uCurrentSerial) >= 0
                                                 ? currentItem + QStringLiteral("1")
                                                 : QString());

    // The terminal's grid keeps its selection the same way.
    HeadlessDownloadGrid headless;
    ScriptedMessageBox messages;
    DownloadListStore headlessStore(headless, messages);
    AddItems(headlessStore, QStringLiteral("ABCD"));
    headlessStore.FillDownloadList();
    SelectCells(headless, sSelect);
    EditAndRebuild(headlessStore, sEdits);
    QCOMPARE(SelectedCells(headless), Expanded(sExpected));
}

void tst_DownloadGrid::scrollPositionFollowsTheTopItem_data()
{
    QTest::addColumn<QChar>("top");
    QTest::addColumn<QString>("sEdits");
    QTest::addColumn<QChar>("expectedTop");
    QTest::newRow("nothing changed") << QChar('K') << "" << QChar('K');
    QTest::newRow("an item inserted above") << QChar('K') << "+z ^z" << QChar('K');
    QTest::newRow("an item above removed") << QChar('K') << "-B" << QChar('K');
    QTest::newRow("the top item moved down") << QChar('K') << "vK" << QChar('K');
    // Its place stays where it was.
    QTest::newRow("the top item removed") << QChar('K') << "-K" << QChar('L');
    QTest::newRow("at the very top, an item inserted above")
        << QChar('A') << "+z ^z" << QChar('z');
}

void tst_DownloadGrid::scrollPositionFollowsTheTopItem()
{
    QFETCH(QChar, top);
    QFETCH(QString, sEdits);
    QFETCH(QChar, expectedTop);
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    DownloadListStore &store = window.Session().ListStore();
    AddItems(store, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
    store.FillDownloadList();
    QCoreApplication::processEvents();
    grid->scrollTo(grid->model()->index(RowOf(*grid->DataSource(), top), 0),
                   QAbstractItemView::PositionAtTop);
    QCOMPARE(RowOf(*grid->DataSource(), top), grid->rowAt(0));

    EditAndRebuild(store, sEdits);
    QCoreApplication::processEvents();

    QCOMPARE(grid->rowAt(0), RowOf(*grid->DataSource(), expectedTop));
}

void tst_DownloadGrid::openEditorSurvivesARebuild_data()
{
    QTest::addColumn<QString>("sEdits");
    QTest::addColumn<bool>("bSurvives");
    QTest::newRow("rebuilt") << "" << true;
    QTest::newRow("its item moved down") << "+E ^E" << true;
    QTest::newRow("an item before it removed") << "-A" << true;
    QTest::newRow("its item removed") << "-B" << false;
    QTest::newRow("list emptied, then refilled") << "-A -B -C -D | +A +B" << false;
}

void tst_DownloadGrid::openEditorSurvivesARebuild()
{
    QFETCH(QString, sEdits);
    QFETCH(bool, bSurvives);
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DownloadGrid *grid = Grid(window);
    DownloadListStore &store = window.Session().ListStore();
    AddItems(store, QStringLiteral("ABCD"));
    store.FillDownloadList();
    const quint32 uSerialB = store.Items().at(1).uSerial;
    QSignalSpy before(grid, &DownloadGrid::BeforeCellUpdate);
    QSignalSpy after(grid, &DownloadGrid::AfterCellUpdate);

    grid->setCurrentIndex(grid->model()->index(1, DownloadViewModel::colFileName));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex()));
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("clip.flv"));
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(editor, Qt::Key_Left);

    EditAndRebuild(store, sEdits);

    const int iRowB = grid->DataSource()->RowOfSerial(uSerialB);
    QCOMPARE(iRowB >= 0, bSurvives);
    if (bSurvives) {
        editor = qobject_cast<QLineEdit *>(
            grid->indexWidget(grid->model()->index(iRowB, DownloadViewModel::colFileName)));
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QVERIFY(editor->hasFocus());
        QCOMPARE(editor->text(), QStringLiteral("clip.flv"));
        QCOMPARE(editor->cursorPosition(), 4);
        QTest::keyClick(editor, Qt::Key_2);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(grid->viewport()->findChildren<QLineEdit *>().size(), 0);
    QCOMPARE(before.size(), bSurvives ? 1 : 0);
    QCOMPARE(after.size(), bSurvives ? 1 : 0);
    if (bSurvives) {
        const auto cell = after.at(0).at(0).value<QModelIndex>();
        QVERIFY(cell.model() == grid->model());
        QCOMPARE(grid->DataSource()->SerialAt(cell.row()), uSerialB);
    }
    for (const DownloadItem &item : store.Items()) {
        const bool bRenamed = bSurvives && item.uSerial == uSerialB;
        QCOMPARE(item.FileName, bRenamed ? QStringLiteral("clip2.flv")
                                         : QStringLiteral("file") + item.Video_URL.right(1));
    }
}

QTEST_MAIN(tst_DownloadGrid)
#include "tst_downloadgrid.moc"
