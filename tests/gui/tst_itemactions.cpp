#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "core/partfile.h"
#include "core/skinvariables.h"
#include "desktop/filemanager.h"
#include "gui/downloadgrid.h"
#include "gui/itemactions.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "privatebus.h"
#include "requiredtool.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"

// The desktop's file manager as the test plays it: it notes what it is
// asked to show.
class FileManagerStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &) { shown << uris; }
};

// The item's entries of the list's context menu, on a list of the test's own.
class tst_ItemActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void entriesApplyOnlyWhereTheyCan_data();
    void entriesApplyOnlyWhereTheyCan();
    void showInFolderAsksTheFileManagerElseOpensTheFolder_data();
    void showInFolderAsksTheFileManagerElseOpensTheFolder();
    void doubleClickOpensACompletedFile_data();
    void doubleClickOpensACompletedFile();

private:
    // One item "video.flv" in the given state, with its file and/or part on
    // disk, selected.
    void OneItem(const QString &sStatus, bool bFile, bool bPart, bool bSelected = true);
    QString DownloadPath(const QString &sName) const { return QDir(m_dir->path()).filePath(sName); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DownloadGrid> m_grid;
    ScriptedMessageBox m_messages;
    SkinVariables m_skin;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<QAction> m_retry;
    std::unique_ptr<FileManager> m_fileManager;
    std::unique_ptr<ItemActions> m_actions;
    QList<QUrl> m_opened;
};

void tst_ItemActions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_grid = std::make_unique<DownloadGrid>();
    m_session = std::make_unique<DownloadSession>(*m_grid, m_messages, m_skin);
    m_session->Settings().sDownloadDir = m_dir->path();
    m_retry = std::make_unique<QAction>(QStringLiteral("Retry"));
    m_grid->addAction(m_retry.get());
    m_opened.clear();
}

void tst_ItemActions::cleanup()
{
    m_actions.reset();
    m_fileManager.reset();
    m_session.reset();
    m_grid.reset();
    m_retry.reset();
}

void tst_ItemActions::OneItem(const QString &sStatus, bool bFile, bool bPart, bool bSelected)
{
    if (!m_fileManager)
        m_fileManager = std::make_unique<FileManager>(QDBusConnection::sessionBus());
    m_actions = std::make_unique<ItemActions>(
        ItemActions::Parts{*m_grid, m_session->ListStore(), m_session->Queue(), *m_fileManager},
        m_retry.get());
    m_actions->SetOpener([this](const QUrl &url) { m_opened << url; });
    DownloadListStore &store = m_session->ListStore();
    QString sStatusOut, sSize;
    store.AddDownloadItem(QStringLiteral("http://127.0.0.1:1/angryalien.com/v.html"),
                          QStringLiteral("video.flv"), sStatusOut, sSize);
    store.SetStatus(store.ItemAt(0)->uSerial, sStatus);
    store.FillDownloadList();
    for (const auto &[bWanted, sPath] : {std::pair{bFile, DownloadPath(QStringLiteral("video.flv"))},
                                         std::pair{bPart, PartFile::PartPathFor(DownloadPath(QStringLiteral("video.flv")))}}) {
        QFile file(sPath);
        if (bWanted)
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
    }
    if (bSelected)
        m_grid->SetRowSelected(0);
}

void tst_ItemActions::entriesApplyOnlyWhereTheyCan_data()
{
    QTest::addColumn<QString>("sStatus");
    QTest::addColumn<bool>("bFile");
    QTest::addColumn<bool>("bPart");
    QTest::addColumn<bool>("bSelected");
    QTest::addColumn<QString>("sEnabled"); // O open, S show in folder, C copy address, R retry

    QTest::newRow("complete, file there") << "Complete" << true << false << true << "OSC";
    QTest::newRow("complete, file gone") << "Complete" << false << false << true << "C";
    QTest::newRow("waiting, nothing yet") << "Waiting" << false << false << true << "C";
    // A file of the same name that the item has not finished is not its file.
    QTest::newRow("waiting, a file of that name") << "Waiting" << true << false << true << "C";
    QTest::newRow("cancelled with a part") << "Cancelled" << false << true << true << "SCR";
    QTest::newRow("failed, nothing kept") << "ERROR" << false << false << true << "CR";
    QTest::newRow("under way") << "45" << false << true << true << "SC";
    QTest::newRow("nothing selected") << "Complete" << true << false << false << "";
}

void tst_ItemActions::entriesApplyOnlyWhereTheyCan()
{
    QFETCH(QString, sStatus);
    QFETCH(bool, bFile);
    QFETCH(bool, bPart);
    QFETCH(bool, bSelected);
    QFETCH(QString, sEnabled);
    OneItem(sStatus, bFile, bPart, bSelected);

    m_actions->UpdateEnabled();
    QString sActual;
    for (const auto &[cLetter, pAction] : {std::pair{'O', m_actions->Open()},
                                           std::pair{'S', m_actions->ShowInFolder()},
                                           std::pair{'C', m_actions->CopyAddress()},
                                           std::pair{'R', static_cast<QAction *>(m_retry.get())}}) {
        if (pAction->isEnabled())
            sActual += QLatin1Char(cLetter);
    }
    QCOMPARE(sActual, sEnabled);
    // The menu's entries are the grid's, the item's own first.
    QCOMPARE(m_grid->actions().first(), m_actions->Open());

    // A greyed entry does nothing; the keys find every entry usable again.
    m_actions->Open()->trigger();
    QCOMPARE(m_opened, sEnabled.contains(u'O')
                           ? QList<QUrl>{QUrl::fromLocalFile(DownloadPath(QStringLiteral("video.flv")))}
                           : QList<QUrl>());
    m_actions->EnableAll();
    QVERIFY(m_retry->isEnabled() && m_actions->CopyAddress()->isEnabled());
    if (bSelected) {
        m_actions->CopyAddress()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("http://127.0.0.1:1/angryalien.com/v.html"));
    }
}

void tst_ItemActions::showInFolderAsksTheFileManagerElseOpensTheFolder_data()
{
    QTest::addColumn<bool>("bFileManager");
    QTest::addColumn<bool>("bComplete"); // else a part is shown
    QTest::newRow("file manager, file") << true << true;
    QTest::newRow("file manager, part") << true << false;
    QTest::newRow("no file manager") << false << true;
}

void tst_ItemActions::showInFolderAsksTheFileManagerElseOpensTheFolder()
{
    QFETCH(bool, bFileManager);
    QFETCH(bool, bComplete);
    CLIPVANE_REQUIRE_TOOL(PrivateBus::Available(), "dbus-daemon is not installed");
    PrivateBus bus;
    QVERIFY(bus.Start());
    FileManagerStandIn standIn;
    if (bFileManager) {
        QDBusConnection service = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("service"));
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &standIn,
                                       QDBusConnection::ExportAllSlots));
    }
    m_fileManager = std::make_unique<FileManager>(
        QDBusConnection::connectToBus(bus.Address(), QStringLiteral("program")));
    OneItem(bComplete ? QStringLiteral("Complete") : QStringLiteral("Cancelled"), bComplete,
            !bComplete);

    m_actions->ShowInFolder()->trigger();
    const QString sShown = bComplete ? DownloadPath(QStringLiteral("video.flv"))
                                     : PartFile::PartPathFor(DownloadPath(QStringLiteral("video.flv")));
    if (bFileManager) {
        QTRY_COMPARE(standIn.shown, QStringList{QUrl::fromLocalFile(sShown).toString()});
        QVERIFY(m_opened.isEmpty());
    } else {
        QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_dir->path())});
    }
    m_actions.reset();
    m_fileManager.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
}

void tst_ItemActions::doubleClickOpensACompletedFile_data()
{
    QTest::addColumn<QString>("sStatus");
    QTest::addColumn<int>("iColumn");
    QTest::addColumn<bool>("bOpens");
    QTest::newRow("address") << "Complete" << int(DownloadViewModel::colVideo_URL) << true;
    QTest::newRow("size") << "Complete" << int(DownloadViewModel::colFileSize) << true;
    // The name's double-click renames; the status's does nothing.
    QTest::newRow("name") << "Complete" << int(DownloadViewModel::colFileName) << false;
    QTest::newRow("status") << "Complete" << int(DownloadViewModel::colStatus) << false;
    QTest::newRow("not complete") << "Cancelled" << int(DownloadViewModel::colVideo_URL) << false;
}

void tst_ItemActions::doubleClickOpensACompletedFile()
{
    QFETCH(QString, sStatus);
    QFETCH(int, iColumn);
    QFETCH(bool, bOpens);
    OneItem(sStatus, true, false, false);
    m_grid->resize(600, 200);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    const QRect cell = m_grid->visualRect(m_grid->model()->index(0, iColumn));
    QVERIFY(cell.isValid());
    // A double click as the desktop delivers it: a click, then the second press.
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(m_opened, bOpens ? QList<QUrl>{QUrl::fromLocalFile(DownloadPath(QStringLiteral("video.flv")))}
                              : QList<QUrl>());
}

QTEST_MAIN(tst_ItemActions)
#include "tst_itemactions.moc"
