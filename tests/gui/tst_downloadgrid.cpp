#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "gui/downloadgrid.h"
#include "gui/frmmain.h"
#include "gui/progressbardelegate.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/filenameeditor.h"
#include "list/listcommands.h"
#include "list/urladder.h"
#include "httptestserver.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "settings/programsettings.h"

// The grid on the main window: its fixed layout through the list's life, the
// bars after rebinding, and the editing commands and renaming as the user
// reaches them.
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
    void barIsDrawnAfterEveryRebinding();
    void commandsFromButtonsKeysAndMenu();
    void renamingInTheGrid();
    void renamedItemIsDownloadedUnderItsNewName();
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
                   {"cmdClear", "&X", "Clear Completed items"}};
    for (const auto &button : buttons) {
        auto *cmd = window.findChild<QPushButton *>(QLatin1String(button.name));
        QVERIFY2(cmd, button.name);
        QCOMPARE(cmd->text(), QLatin1String(button.caption));
        QCOMPARE(cmd->toolTip(), QLatin1String(button.tip));
    }
    QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(grid->actions().size(), 5);
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

    // Delete removes the selected items.
    grid->setFocus();
    grid->SetCellSelected(3, DownloadViewModel::colStatus);
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
}

QTEST_MAIN(tst_DownloadGrid)
#include "tst_downloadgrid.moc"
