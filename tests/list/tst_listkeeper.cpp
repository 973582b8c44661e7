#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "fulldisk.h"
#include "list/listkeeper.h"
#include "scriptedmessagebox.h"

// The window's list kept across starts: what comes back, a file that cannot
// be read, and when the list is written.
class tst_ListKeeper : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    HeadlessDownloadGrid m_grid;
    ScriptedMessageBox m_messages;

    QString ListPath() const { return m_dir.filePath(QStringLiteral("data/Clipvane/downloadlist.json")); }

    static QByteArray Contents(const QString &sPath)
    {
        QFile file(sPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Add(DownloadListStore &store, const QString &sUrl, QString sStatus,
                    const QString &sReason = QString())
    {
        QString sSize = QStringLiteral("1.2 MB");
        QVERIFY(store.AddDownloadItem(sUrl, QStringLiteral("name \"q\" é\\\t.flv"), sStatus, sSize));
        store.SetReason(store.Items().constLast().uSerial, sReason);
    }

private Q_SLOTS:
    void init() { QFile::remove(ListPath()); }
    void itemsComeBackAsTheyWere_data();
    void itemsComeBackAsTheyWere();
    void unreadableListIsSetAsideOnce_data();
    void unreadableListIsSetAsideOnce();
    void changesAreWrittenLaterAndAtTheEnd();
    void pageAddressComesBackBehindTheRowsText_data();
    void pageAddressComesBackBehindTheRowsText();
    void fullDiskLeavesTheKeptListAndSaysSoOnce_data();
    void fullDiskLeavesTheKeptListAndSaysSoOnce();
    void onlyOneProgramKeepsTheList_data();
    void onlyOneProgramKeepsTheList();
};

void tst_ListKeeper::itemsComeBackAsTheyWere_data()
{
    QTest::addColumn<QString>("sStatus");
    QTest::addColumn<QString>("sRestored");
    const QString kWaiting = QStringLiteral("Waiting");
    QTest::newRow("waiting") << kWaiting << kWaiting;
    QTest::newRow("complete") << QStringLiteral("Complete") << QStringLiteral("Complete");
    QTest::newRow("failed") << QStringLiteral("ERROR") << QStringLiteral("ERROR");
    QTest::newRow("cancelled") << QStringLiteral("Cancelled") << QStringLiteral("Cancelled");
    QTest::newRow("unsupported") << QStringLiteral("Link is not supported")
                                 << QStringLiteral("Link is not supported");
    // Work that ended with the program is waiting again.
    QTest::newRow("transferring") << QStringLiteral("42%") << kWaiting;
    QTest::newRow("so far") << QStringLiteral("1.5 MB so far..") << kWaiting;
    QTest::newRow("reading the page") << QStringLiteral("Getting Page...") << kWaiting;
    QTest::newRow("retrying") << QStringLiteral("Retrying (2/5)…") << kWaiting;
}

void tst_ListKeeper::itemsComeBackAsTheyWere()
{
    QFETCH(QString, sStatus);
    QFETCH(QString, sRestored);
    {
        DownloadListStore store(m_grid, m_messages);
        ListKeeper keeper(store, ListPath());
        Add(store, QStringLiteral("http://www.youtube.com/watch?v=1&t=\"2\""), QStringLiteral("Complete"));
        Add(store, QStringLiteral("http://www.youtube.com/watch?v=2"), sStatus,
            QStringLiteral("HTTP 404"));
    }
    DownloadListStore store(m_grid, m_messages);
    // An address listed before the restore is not listed twice.
    Add(store, QStringLiteral("http://www.youtube.com/watch?v=2"), QStringLiteral("Waiting"));
    auto keeper = std::make_unique<ListKeeper>(store, ListPath());
    QCOMPARE(keeper->Restore(), QString());

    QCOMPARE(store.Count(), 2);
    const DownloadItem &kept = store.Items().at(1);
    QCOMPARE(kept.Video_URL, QStringLiteral("http://www.youtube.com/watch?v=1&t=\"2\""));
    QCOMPARE(kept.ID, qint16(2));
    QCOMPARE(kept.FileName, QStringLiteral("name \"q\" é\\\t.flv"));
    QCOMPARE(kept.FileSize, QStringLiteral("1.2 MB"));
    QCOMPARE(kept.Status, QStringLiteral("Complete"));
    QCOMPARE(store.IndexOfSerial(kept.uSerial), 1);

    // The next start: the list is kept by one program at a time.
    keeper.reset();
    DownloadListStore again(m_grid, m_messages);
    ListKeeper(again, ListPath()).Restore();
    QCOMPARE(again.Items().at(1).Status, sRestored);
    QCOMPARE(again.Items().at(1).sReason, QStringLiteral("HTTP 404"));
}

void tst_ListKeeper::unreadableListIsSetAsideOnce_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("not JSON") << QByteArray("{\"format\": \"Clipvane download list\", \"items\": [");
    QTest::newRow("another document") << QByteArray("[1, 2, 3]");
    QTest::newRow("item without address")
        << QByteArray(R"({"format":"Clipvane download list","version":1,"items":[{"status":"Waiting"}]})");
    QTest::newRow("newer version")
        << QByteArray(R"({"format":"Clipvane download list","version":9,"items":[]})");
}

void tst_ListKeeper::unreadableListIsSetAsideOnce()
{
    QFETCH(QByteArray, text);
    QVERIFY(QDir().mkpath(QFileInfo(ListPath()).path()));
    QFile file(ListPath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();

    DownloadListStore store(m_grid, m_messages);
    ListKeeper keeper(store, ListPath());
    const QString sMessage = keeper.Restore();
    QVERIFY2(sMessage.startsWith(QStringLiteral("The saved download list could not be read")),
             qPrintable(sMessage));
    QCOMPARE(store.Count(), 0);
    QVERIFY(!QFile::exists(ListPath()));
    const QStringList setAside = QDir(QFileInfo(ListPath()).path())
                                     .entryList({QStringLiteral("downloadlist.json.damaged-*")});
    QCOMPARE(setAside.size(), 1);
    QVERIFY(sMessage.contains(setAside.constFirst()));
    QFile kept(QFileInfo(ListPath()).path() + QLatin1Char('/') + setAside.constFirst());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), text);
    QVERIFY(kept.remove());
    // Said once: the next start finds nothing to complain of.
    QCOMPARE(keeper.Restore(), QString());
}

void tst_ListKeeper::changesAreWrittenLaterAndAtTheEnd()
{
    DownloadListStore store(m_grid, m_messages);
    auto keeper = std::make_unique<ListKeeper>(store, ListPath());
    keeper->SetSaveDelay(100);
    Add(store, QStringLiteral("http://a"), QStringLiteral("Waiting"));
    QVERIFY(!QFile::exists(ListPath()));
    QTRY_VERIFY(QFile::exists(ListPath()));

    // A change with a long delay still reaches the file when the keeper goes.
    keeper->SetSaveDelay(3600 * 1000);
    store.SetStatus(store.Items().at(0).uSerial, QStringLiteral("Complete"));
    keeper.reset();
    DownloadListStore restored(m_grid, m_messages);
    ListKeeper(restored, ListPath()).Restore();
    QCOMPARE(restored.Items().at(0).Status, QStringLiteral("Complete"));
}

void tst_ListKeeper::pageAddressComesBackBehindTheRowsText_data()
{
    QTest::addColumn<QByteArray>("text"); // empty: written by the keeper
    QTest::addColumn<QString>("sPageUrl");

    const QString sAddress = QStringLiteral("http://www.angryalien.com/0604/");
    QTest::newRow("kept with the item") << QByteArray() << sAddress;
    // Written before the page address was kept: the text is all there is.
    QTest::newRow("list of an earlier version")
        << QByteArray(R"({"format":"Clipvane download list","version":1,"items":[)"
                      R"({"address":"Video may be inappropriate and can not be downloaded",)"
                      R"("fileName":"Process failed.","status":"ERROR","fileSize":"????"}]})")
        << QStringLiteral("Video may be inappropriate and can not be downloaded");
}

void tst_ListKeeper::pageAddressComesBackBehindTheRowsText()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, sPageUrl);
    const QString sShown = QStringLiteral("Video may be inappropriate and can not be downloaded");
    if (text.isEmpty()) {
        DownloadListStore store(m_grid, m_messages);
        ListKeeper keeper(store, ListPath());
        Add(store, sPageUrl, QStringLiteral("ERROR"));
        QVERIFY(store.ShowInsteadOfAddress(store.Items().at(0).uSerial, sShown));
    } else {
        QVERIFY(QDir().mkpath(QFileInfo(ListPath()).path()));
        QFile file(ListPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    DownloadListStore store(m_grid, m_messages);
    QCOMPARE(ListKeeper(store, ListPath()).Restore(), QString());
    QCOMPARE(store.Count(), 1);
    QCOMPARE(store.Items().at(0).Video_URL, sShown);
    QCOMPARE(store.Items().at(0).PageUrl(), sPageUrl);
}

void tst_ListKeeper::fullDiskLeavesTheKeptListAndSaysSoOnce_data()
{
    QTest::addColumn<qint64>("lRoom");
    QTest::newRow("full") << qint64(0);
    QTest::newRow("full half-way") << qint64(100);
}

void tst_ListKeeper::fullDiskLeavesTheKeptListAndSaysSoOnce()
{
    QFETCH(qint64, lRoom);
    {
        DownloadListStore store(m_grid, m_messages);
        ListKeeper keeper(store, ListPath());
        Add(store, QStringLiteral("http://a"), QStringLiteral("Complete"));
        Add(store, QStringLiteral("http://b"), QStringLiteral("Waiting"));
    }
    const QByteArray kept = Contents(ListPath());
    QVERIFY(!kept.isEmpty());

    DownloadListStore store(m_grid, m_messages);
    ListKeeper keeper(store, ListPath());
    QCOMPARE(keeper.Restore(), QString());
    keeper.SetSaveDelay(10);
    QSignalSpy told(&keeper, &ListKeeper::SaveFailed);
    {
        const FullDisk disk(lRoom);
        Add(store, QStringLiteral("http://c"), QStringLiteral("Waiting"));
        QVERIFY(told.wait());
        const int iWrites = FullDisk::Writes();
        // The next change tries again, and is not told again.
        Add(store, QStringLiteral("http://d"), QStringLiteral("Waiting"));
        QTRY_VERIFY(FullDisk::Writes() > iWrites);
        QTest::qWait(50);
    }
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.at(0).at(0).toString().startsWith(
                 QStringLiteral("The download list could not be saved: No space left on device")),
             qPrintable(told.at(0).at(0).toString()));
    QCOMPARE(Contents(ListPath()), kept);
    QCOMPARE(store.Count(), 4);

    // With room again, the next change writes the whole list.
    store.SetStatus(store.Items().at(0).uSerial, QStringLiteral("ERROR"));
    QTRY_VERIFY(Contents(ListPath()).contains("http://d"));
    QCOMPARE(told.size(), 1);
}

// A second program (a window started when the first could not be reached)
// leaves the list of the first alone; a lock left by a program that is gone
// is taken over.
void tst_ListKeeper::onlyOneProgramKeepsTheList_data()
{
    QTest::addColumn<bool>("bHolderRuns");
    QTest::newRow("held by a running program") << true;
    QTest::newRow("left by a program that is gone") << false;
}

void tst_ListKeeper::onlyOneProgramKeepsTheList()
{
    QFETCH(bool, bHolderRuns);
    DownloadListStore first(m_grid, m_messages);
    auto holder = std::make_unique<ListKeeper>(first, ListPath());
    QCOMPARE(holder->Restore(), QString());
    Add(first, QStringLiteral("http://first"), QStringLiteral("Waiting"));
    holder->SaveNow();
    if (!bHolderRuns) {
        // What a killed program leaves: its lock, naming a process that is no more.
        QProcess gone;
        gone.start(QStringLiteral("true"), QStringList());
        QVERIFY(gone.waitForStarted(30000));
        const qint64 iGonePid = gone.processId();
        QVERIFY(gone.waitForFinished(30000));
        holder.reset();
        QFile lock(ListPath() + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(iGonePid) + '\n'
                   + QCoreApplication::applicationName().toUtf8() + '\n'
                   + QSysInfo::machineHostName().toUtf8() + '\n');
    }
    QTRY_VERIFY(QFile::exists(ListPath()));
    const QByteArray kept = Contents(ListPath());
    QVERIFY(!kept.isEmpty());

    {
        DownloadListStore second(m_grid, m_messages);
        ListKeeper keeper(second, ListPath());
        keeper.SetLockWait(0);
        keeper.SetSaveDelay(10);
        const QString sMessage = keeper.Restore();
        QCOMPARE(sMessage.startsWith(QStringLiteral("The download list is kept by another")),
                 bHolderRuns);
        QCOMPARE(second.Count(), bHolderRuns ? 0 : 1);
        Add(second, QStringLiteral("http://second"), QStringLiteral("Waiting"));
        QTest::qWait(50);
    }
    const QByteArray now = Contents(ListPath());
    QCOMPARE(now.contains("http://second"), !bHolderRuns);
    if (bHolderRuns)
        QCOMPARE(now, kept);
}

QTEST_GUILESS_MAIN(tst_ListKeeper)
#include "tst_listkeeper.moc"
