#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
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
    ListKeeper keeper(store, ListPath());
    QCOMPARE(keeper.Restore(), QString());

    QCOMPARE(store.Count(), 2);
    const DownloadItem &kept = store.Items().at(1);
    QCOMPARE(kept.Video_URL, QStringLiteral("http://www.youtube.com/watch?v=1&t=\"2\""));
    QCOMPARE(kept.ID, qint16(2));
    QCOMPARE(kept.FileName, QStringLiteral("name \"q\" é\\\t.flv"));
    QCOMPARE(kept.FileSize, QStringLiteral("1.2 MB"));
    QCOMPARE(kept.Status, QStringLiteral("Complete"));
    QCOMPARE(store.IndexOfSerial(kept.uSerial), 1);

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

QTEST_GUILESS_MAIN(tst_ListKeeper)
#include "tst_listkeeper.moc"
