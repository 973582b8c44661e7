#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <array>
#include <memory>
#include <utility>

#include "core/doevents.h"
#include "core/skinvariables.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/filenameeditor.h"
#include "list/idownloadgrid.h"
#include "list/listcommands.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "net/download.h"
#include "scriptedmessagebox.h"
#include "session/downloadeventhandlers.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "settings/programsettings.h"

// The user edits the list while a run works through it: random edits, fired
// at event-loop turns the seed chooses, land between page blocks, transfer blocks and inside rebuilds.
// After every edit the list must still be the one the user sees and the run
// must still act on the items the user left it.
//
// CLIPVANE_STRESS_SEEDS=N runs seeds 1..N instead of the few the suite runs.
class tst_ListUnderRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void editsDuringARunKeepListGridAndFilesTrue_data();
    void editsDuringARunKeepListGridAndFilesTrue();

private:
    static constexpr int kEdits = 300;
    static constexpr quint32 kMostTurnsBetweenEdits = 6;

    void ServeItem(int iNumber);
    void RandomEdit();
    void SelectRandomCell(int iColumn);
    QList<quint32> ListedSerials() const;
    QSet<quint32> SelectedSerials() const;
    // Records the first broken promise, with the seed and step that broke it.
    void Check(const char *sWhere);
    void Fail(const QString &sWhat);
    QString ViewDiffersFromList() const;

    HttpTestServer m_server;
    QStringList m_pages; // page addresses not handed out yet
    QHash<QString, QByteArray> m_fileBodies; // by page address

    std::unique_ptr<QTemporaryDir> m_downloads;
    std::unique_ptr<QTemporaryDir> m_scratch;
    HeadlessDownloadGrid m_grid;
    ScriptedMessageBox m_messages;
    std::unique_ptr<SkinVariables> m_skin;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<ListCommands> m_commands;
    std::unique_ptr<FileNameEditor> m_names;

    QRandomGenerator m_random;
    quint32 m_uSeed = 0;
    int m_iStep = 0;
    int m_iRenames = 0;
    QString m_sFailure;
    // The item under transfer that the user removed, and the blocks it got
    // after that.
    quint32 m_uRemovedCurrent = 0;
    int m_iBlocksAfterRemoval = 0;
    QSet<QString> m_completedFiles;
};

void tst_ListUnderRun::initTestCase()
{
    QVERIFY(m_server.Start());
}

// A page of a supported site, a few blocks long, whose file trickles in.
void tst_ListUnderRun::ServeItem(int iNumber)
{
    const QString sName = QStringLiteral("v%1").arg(iNumber);
    const QString sFilePath = QStringLiteral("/files/%1.flv").arg(sName);
    QByteArray body(16 * 1024 + (iNumber % 5) * 8 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + (i + iNumber) % 26);
    HttpTestServer::Response file = HttpTestServer::Ok(body, "video/x-flv");
    file.trickleBytes = 4096;
    file.trickleIntervalMs = 2;
    m_server.SetRoute(sFilePath, file);

    HttpTestServer::Response page = HttpTestServer::Ok(
        "<html><embed src=\"" + m_server.Url(sFilePath).toLatin1() + "\" width=400>"
            + QByteArray(6000, ' ') + "</html>",
        "text/html");
    page.trickleBytes = 2048;
    page.trickleIntervalMs = 1;
    const QString sPagePath = QStringLiteral("/angryalien.com/%1.html").arg(sName);
    m_server.SetRoute(sPagePath, page);
    m_pages << m_server.Url(sPagePath);
    m_fileBodies.insert(m_pages.constLast(), body);
}

void tst_ListUnderRun::Fail(const QString &sWhat)
{
    if (m_sFailure.isEmpty())
        m_sFailure = QStringLiteral("seed %1, step %2: %3").arg(m_uSeed).arg(m_iStep).arg(sWhat);
}

QString tst_ListUnderRun::ViewDiffersFromList() const
{
    const DownloadListStore &store = m_session->ListStore();
    const DownloadViewModel *pView = m_grid.DataSource();
    if (store.IsListEmpty())
        return pView ? QStringLiteral("an empty list is still shown") : QString();
    if (!pView || pView->RecordCount() != store.Count())
        return QStringLiteral("the grid shows %1 rows of %2 items")
            .arg(pView ? pView->RecordCount() : -1)
            .arg(store.Count());
    for (int i = 0; i < store.Count(); ++i) {
        const DownloadItem &item = store.Items().at(i);
        const QString shown[] = {QString::number(item.ID), item.Video_URL.left(219),
                                 item.FileName, item.Status, item.FileSize};
        if (pView->SerialAt(i) != item.uSerial)
            return QStringLiteral("row %1 shows another item").arg(i);
        for (int iColumn = 0; iColumn < DownloadViewModel::ColumnCount; ++iColumn) {
            if (pView->CellText(i, iColumn) != shown[iColumn])
                return QStringLiteral("row %1 column %2 shows '%3' for '%4'")
                    .arg(i)
                    .arg(iColumn)
                    .arg(pView->CellText(i, iColumn), shown[iColumn]);
        }
    }
    return QString();
}

void tst_ListUnderRun::Check(const char *sWhere)
{
    const DownloadListStore &store = m_session->ListStore();
    for (int i = 0; i < store.Count(); ++i) {
        const DownloadItem &item = store.Items().at(i);
        if (item.ID != i + 1 || store.IndexOfSerial(item.uSerial) != i)
            Fail(QStringLiteral("%1: item at %2 has ID %3").arg(sWhere).arg(i).arg(item.ID));
    }
    // While a rebuild runs the grid still shows the list as it was; the
    // rebuild owes the change.
    if (!store.bFillingList()) {
        const QString sDiff = ViewDiffersFromList();
        if (!sDiff.isEmpty())
            Fail(QLatin1String(sWhere) + QLatin1String(": ") + sDiff);
    }
}

void tst_ListUnderRun::SelectRandomCell(int iColumn)
{
    const int iRows = m_grid.DataSource() ? m_grid.DataSource()->RecordCount() : 0;
    if (iRows > 0)
        m_grid.SetCellSelected(m_random.bounded(iRows), iColumn);
}

QList<quint32> tst_ListUnderRun::ListedSerials() const
{
    QList<quint32> serials;
    for (const DownloadItem &item : m_session->ListStore().Items())
        serials << item.uSerial;
    return serials;
}

// The items of the rows that have a selected cell.
QSet<quint32> tst_ListUnderRun::SelectedSerials() const
{
    QSet<quint32> serials;
    for (const QModelIndex &cell : m_grid.Selected())
        serials << m_grid.DataSource()->SerialAt(cell.row());
    return serials;
}

// One edit as the user makes it, through the grid's selection and the
// commands; each must act on exactly the items the user pointed at.
void tst_ListUnderRun::RandomEdit()
{
    const int iStep = ++m_iStep;
    DownloadListStore &store = m_session->ListStore();
    const quint32 uCurrent = m_session->Run().CurrentSerial();
    const bool bCurrentListed = store.ItemBySerial(uCurrent) != nullptr;
    QList<quint32> expected = ListedSerials();
    const char *sEdit = "";
    const int iDie = m_random.bounded(100);
    if (iDie < 25 && !m_pages.isEmpty()) {
        sEdit = "add";
        m_session->Adder().AddURL(m_pages.takeFirst());
        expected << store.LastSerial();
    } else if (iDie < 43) {
        sEdit = "remove";
        m_grid.ClearSelection();
        if (iDie < 40) {
            const int iCells = 1 + m_random.bounded(2);
            for (int i = 0; i < iCells; ++i)
                SelectRandomCell(m_random.bounded(int(DownloadViewModel::ColumnCount)));
        } else {
            m_commands->SelectAll();
        }
        const QSet<quint32> gone = SelectedSerials();
        expected.removeIf([&gone](quint32 u) { return gone.contains(u); });
        m_commands->RemoveSelected();
    } else if (iDie < 65) {
        sEdit = "move";
        m_grid.ClearSelection();
        SelectRandomCell(m_random.bounded(int(DownloadViewModel::ColumnCount)));
        const bool bUp = m_random.bounded(2);
        const QModelIndexList selected = m_grid.Selected();
        const qsizetype i =
            selected.isEmpty() ? -1 : expected.indexOf(m_grid.DataSource()->SerialAt(selected.first().row()));
        const qsizetype iOther = bUp ? i - 1 : i + 1;
        if (i >= 0 && iOther >= 0 && iOther < expected.size())
            expected.swapItemsAt(i, iOther);
        if (bUp)
            m_commands->MoveSelectedUp();
        else
            m_commands->MoveSelectedDown();
    } else if (iDie < 75) {
        sEdit = "clear completed";
        for (int iRow = 0; m_grid.DataSource() && iRow < m_grid.DataSource()->RecordCount(); ++iRow) {
            const DownloadItem *pItem = store.ItemBySerial(m_grid.DataSource()->SerialAt(iRow));
            if (pItem && pItem->State() == ItemState::Complete)
                expected.removeOne(pItem->uSerial);
        }
        m_commands->ClearCompleted();
    } else if (iDie < 90) {
        sEdit = "rename";
        const int iRows = m_grid.DataSource() ? m_grid.DataSource()->RecordCount() : 0;
        const GridRow row(m_grid.DataSource(), iRows > 0 ? m_random.bounded(iRows) : -1);
        const DownloadItem *pItem = store.ItemBySerial(row.Serial());
        // A name given while the file arrives, or after, names no file.
        if (pItem && pItem->uSerial != uCurrent && !pItem->IsDone()) {
            const QString sName = QStringLiteral("renamed%1.flv").arg(++m_iRenames);
            bool bCancel = false;
            m_names->DownloadGrid_BeforeCellUpdate(row, DownloadViewModel::colFileName, sName,
                                                   bCancel);
            row.SetCellValue(DownloadViewModel::colFileName, sName);
            m_names->DownloadGrid_AfterCellUpdate(row, DownloadViewModel::colFileName);
            if (store.ItemBySerial(row.Serial())->FileName != sName)
                Fail(QStringLiteral("rename: another item got the name"));
        }
    } else {
        sEdit = "select all";
        m_grid.ClearSelection();
        m_commands->SelectAll();
    }
    // An edit nested in this one's rebuild changes the list as well.
    if (m_iStep == iStep && ListedSerials() != expected)
        Fail(QStringLiteral("%1 acted on other items than the user chose").arg(QLatin1String(sEdit)));
    if (bCurrentListed && !store.ItemBySerial(uCurrent)) {
        m_uRemovedCurrent = uCurrent;
        m_iBlocksAfterRemoval = 0;
    }
    Check(sEdit);
}

void tst_ListUnderRun::editsDuringARunKeepListGridAndFilesTrue_data()
{
    QTest::addColumn<quint32>("uSeed");
    const int iSeeds = qMax(5, qEnvironmentVariableIntValue("CLIPVANE_STRESS_SEEDS"));
    for (int i = 1; i <= iSeeds; ++i)
        QTest::addRow("seed %d", i) << quint32(i);
}

void tst_ListUnderRun::editsDuringARunKeepListGridAndFilesTrue()
{
    QFETCH(quint32, uSeed);
    m_uSeed = uSeed;
    m_random.seed(uSeed);
    m_iStep = 0;
    m_sFailure.clear();
    m_completedFiles.clear();
    m_uRemovedCurrent = 0;
    m_pages.clear();
    const int iRequestsBefore = m_server.RequestHeads().size();
    for (int i = 0; i < 80; ++i)
        ServeItem(int(uSeed) * 1000 + i);

    m_downloads = std::make_unique<QTemporaryDir>();
    m_scratch = std::make_unique<QTemporaryDir>();
    m_skin = std::make_unique<SkinVariables>();
    m_session = std::make_unique<DownloadSession>(m_grid, m_messages, *m_skin);
    m_session->Settings().sDownloadDir = m_downloads->path();
    m_session->Pages().SetScratchDir(m_scratch->path());
    m_session->Queue().SetConnectivityTest([] { return true; });
    m_commands = std::make_unique<ListCommands>(m_session->ListStore(), m_session->Run());
    m_names = std::make_unique<FileNameEditor>(m_session->ListStore());
    for (int i = 0; i < 8; ++i)
        m_session->Adder().AddURL(m_pages.takeFirst());

    Download &download = m_session->TransferControl();
    const DownloadEventHandlers &handlers = m_session->Handlers();
    connect(&download, &Download::DownloadProgress, this, [&] {
        const quint32 uCurrent = m_session->Run().CurrentSerial();
        if (!handlers.bFetchingPage() && uCurrent == m_uRemovedCurrent
            && ++m_iBlocksAfterRemoval > 1)
            Fail(QStringLiteral("the removed item's file kept arriving"));
        Check("block");
    });
    connect(&download, &Download::DownloadComplete, this, [&] {
        if (!handlers.bFetchingPage())
            m_completedFiles.insert(QFileInfo(download.LocalFile()).fileName());
    });

    // Edits fire at turns the seed chooses, not at times, so a seed replays
    // its edits: between blocks, inside rebuilds, during the questions a
    // transfer waits for. A turn is one event pass of the run (DoEvents), or
    // one round between runs below.
    DoEventsGate::SetPassIntervalMicroseconds(0);
    std::array<int, 2> turnsLeft{};
    auto turn = [&](int iSource) {
        if (--turnsLeft[iSource] > 0 || m_iStep >= kEdits)
            return;
        turnsLeft[iSource] = 1 + int(m_random.bounded(kMostTurnsBetweenEdits));
        RandomEdit();
    };
    // Two sources, as keys and the clipboard are: one's edit can land inside
    // the rebuild of the other's. A timer of interval 0 looks in at every
    // turn of the event loop, and counts those that were a pass.
    QTimer edits;
    QTimer otherEdits;
    std::array<unsigned long long, 2> lastPass{};
    for (int iSource = 0; iSource < 2; ++iSource) {
        QTimer *pTimer = iSource == 0 ? &edits : &otherEdits;
        turnsLeft[iSource] = 1 + int(m_random.bounded(kMostTurnsBetweenEdits));
        connect(pTimer, &QTimer::timeout, this, [&, iSource] {
            if (std::exchange(lastPass[iSource], DoEventsGate::PassCount())
                != DoEventsGate::PassCount())
                turn(iSource);
        });
        pTimer->start(0);
    }
    QElapsedTimer clock;
    clock.start();
    while (m_iStep < kEdits && clock.elapsed() < 20000) {
        m_session->Queue().cmdStartDownload_Click();
        m_messages.shown.clear(); // "Empty List" when the user cleared it all
        Check("run ended");
        QTest::qWait(5);
        turn(0);
        turn(1);
    }
    edits.stop();
    otherEdits.stop();
    // The last run over what is left, untouched.
    if (!m_session->ListStore().IsListEmpty())
        m_session->Queue().cmdStartDownload_Click();
    DoEventsGate::SetPassIntervalMicroseconds(1000);
    Check("the end");
    QVERIFY2(m_sFailure.isEmpty(), qPrintable(m_sFailure));
    QVERIFY2(m_iStep >= kEdits, qPrintable(QStringLiteral("seed %1: only %2 edits").arg(uSeed).arg(m_iStep)));

    // Each address was fetched at most once, even when edits moved it about.
    QHash<QByteArray, int> pageFetches;
    for (const QByteArray &head : m_server.RequestHeads().mid(iRequestsBefore)) {
        if (head.startsWith("GET /angryalien.com/"))
            ++pageFetches[head.left(head.indexOf(' ', 4))];
    }
    for (auto it = pageFetches.cbegin(); it != pageFetches.cend(); ++it)
        QVERIFY2(it.value() == 1, qPrintable(QStringLiteral("seed %1: %2 fetched %3 times")
                                                 .arg(uSeed)
                                                 .arg(QString::fromLatin1(it.key()))
                                                 .arg(it.value())));

    // On disk: exactly the files of transfers that finished for a listed
    // item, each whole; a part is kept only by a transfer that was stopped
    // or lost its item, never beside a finished file.
    QStringList onDisk = QDir(m_downloads->path()).entryList(QDir::Files);
    for (const QString &sPart : onDisk.filter(QRegularExpression(QStringLiteral("\\.part$"))))
        QVERIFY2(!m_completedFiles.contains(sPart.chopped(5)), qPrintable(sPart));
    onDisk.removeIf([](const QString &sName) { return sName.endsWith(QLatin1String(".part")); });
    QCOMPARE(QSet<QString>(onDisk.cbegin(), onDisk.cend()), m_completedFiles);
    for (const DownloadItem &item : m_session->ListStore().Items()) {
        if (item.State() != ItemState::Complete)
            continue;
        QFile file(QDir(m_downloads->path()).filePath(item.FileName));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(item.FileName));
        QVERIFY2(file.readAll() == m_fileBodies.value(item.Video_URL),
                 qPrintable(QStringLiteral("seed %1: %2 is not the whole file of %3")
                                .arg(uSeed)
                                .arg(item.FileName, item.Video_URL)));
    }

    m_commands.reset();
    m_names.reset();
    m_session.reset();
}

QTEST_GUILESS_MAIN(tst_ListUnderRun)
#include "tst_listunderrun.moc"
