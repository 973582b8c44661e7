#include <QAbstractItemModel>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include "fulldisk.h"
#include "gui/frmmain.h"
#include "list/downloadliststore.h"
#include "scriptedmessagebox.h"
#include "session/downloadsession.h"
#include "settings/cregister.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"

class tst_frmMain : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private Q_SLOTS:
    // The window loads the user's settings and listens for the clipboard
    // watcher: both in directories of the test's own.
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_home.path().toLocal8Bit());
    }

    void windowShowsItsControls();
    void windowLoadsTheStoredSettings();
    void addButtonListsTheTypedAddress();
    void windowKeepsItsListAcrossStarts();
    void listThatCannotBeKeptIsSaidOnce_data();
    void listThatCannotBeKeptIsSaidOnce();
};

namespace {

QByteArray Contents(const QString &sPath)
{
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void AddTyped(frmMain &window, const QString &sAddress)
{
    window.findChild<QLineEdit *>(QStringLiteral("txtURL"))->setText(sAddress);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdAdd2List")), Qt::LeftButton);
}

} // namespace

void tst_frmMain::windowShowsItsControls()
{
    frmMain window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Clipvane"));
    QCOMPARE(window.size(), QSize(640, 600));
    auto *cmbSite = window.findChild<QComboBox *>(QStringLiteral("cmbSite"));
    QVERIFY(cmbSite);
    QCOMPARE(cmbSite->count(), 4);
    QCOMPARE(cmbSite->currentText(), QStringLiteral("Auto"));
    QVERIFY(window.findChild<QLineEdit *>(QStringLiteral("txtURL")));
    QVERIFY(window.findChild<QTableView *>(QStringLiteral("DownloadGrid")));
}

void tst_frmMain::addButtonListsTheTypedAddress()
{
    frmMain window;
    window.show();
    auto *txtURL = window.findChild<QLineEdit *>(QStringLiteral("txtURL"));
    auto *cmdAdd2List = window.findChild<QPushButton *>(QStringLiteral("cmdAdd2List"));
    auto *grid = window.findChild<QTableView *>(QStringLiteral("DownloadGrid"));

    txtURL->setText(QStringLiteral("http://www.youtube.com/watch?v=1"));
    QTest::mouseClick(cmdAdd2List, Qt::LeftButton);
    QTest::mouseClick(cmdAdd2List, Qt::LeftButton);
    // The text box is left as it was.
    QCOMPARE(txtURL->text(), QStringLiteral("http://www.youtube.com/watch?v=1"));
    txtURL->setText(QStringLiteral("http://example.org/x"));
    QTest::mouseClick(cmdAdd2List, Qt::LeftButton);

    QVERIFY(grid->model());
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->model()->index(0, 3).data().toString(), QStringLiteral("Waiting"));
    QCOMPARE(grid->model()->index(1, 3).data().toString(), QStringLiteral("Link is not supported"));
    QCOMPARE(window.Session().ListStore().Count(), 2);
}

void tst_frmMain::windowLoadsTheStoredSettings()
{
    const CRegister registry;
    QVERIFY(registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                    SettingsStore::kURLMonValue, QStringLiteral("False")));
    QVERIFY(registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                    SettingsStore::kDownloadDirValue, QStringLiteral("/srv/videos")));
    frmMain window;
    QVERIFY(!window.Session().Settings().bURLMonitor);
    QCOMPARE(window.Session().Settings().sDownloadDir, QStringLiteral("/srv/videos"));
    auto *chkMonitor = window.findChild<QCheckBox *>(QStringLiteral("chkMonitor"));
    QVERIFY(chkMonitor);
    QVERIFY(!chkMonitor->isVisibleTo(&window));
}

// The first start finds a damaged list, says so and starts empty; what it
// lists is back at the next start, shown in the grid, without a word.
void tst_frmMain::windowKeepsItsListAcrossStarts()
{
    const QString sList = m_home.filePath(QStringLiteral("data/Clipvane/downloadlist.json"));
    QVERIFY(QDir().mkpath(QFileInfo(sList).path()));
    QFile damaged(sList);
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("{") == 1);
    damaged.close();
    ScriptedMessageBox messages;
    {
        frmMain window(&messages, nullptr, sList);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(window.Session().ListStore().Count(), 0);
        window.findChild<QLineEdit *>(QStringLiteral("txtURL"))
            ->setText(QStringLiteral("http://www.youtube.com/watch?v=kept"));
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdAdd2List")),
                          Qt::LeftButton);
    }
    frmMain window(&messages, nullptr, sList);
    QCOMPARE(messages.shown.size(), 1);
    const QAbstractItemModel *model = window.findChild<QTableView *>(QStringLiteral("DownloadGrid"))->model();
    QVERIFY(model);
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("http://www.youtube.com/watch?v=kept"));
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("Waiting"));
}

// Another window keeps the list, or the disk is full: the window says so
// once, and the kept file stays as it was.
void tst_frmMain::listThatCannotBeKeptIsSaidOnce_data()
{
    QTest::addColumn<bool>("bHeld"); // by another window; else the disk is full
    QTest::addColumn<QString>("sSaid");
    QTest::newRow("another window keeps it") << true << "The download list is kept by another";
    QTest::newRow("the disk is full") << false << "The download list could not be saved: ";
}

void tst_frmMain::listThatCannotBeKeptIsSaidOnce()
{
    QFETCH(bool, bHeld);
    QFETCH(QString, sSaid);
    const QString sList = m_home.filePath(QStringLiteral("%1/downloadlist.json").arg(bHeld));
    ScriptedMessageBox firstMessages;
    auto first = std::make_unique<frmMain>(&firstMessages, nullptr, sList);
    AddTyped(*first, QStringLiteral("http://www.youtube.com/watch?v=first"));
    if (!bHeld)
        first.reset();
    QTRY_VERIFY_WITH_TIMEOUT(Contents(sList).contains("v=first"), 10000);
    const QByteArray kept = Contents(sList);

    ScriptedMessageBox messages;
    {
        // Still full when the window goes and writes the list a last time.
        std::optional<FullDisk> disk;
        frmMain window(&messages, nullptr, sList);
        if (!bHeld)
            disk.emplace(0);
        AddTyped(window, QStringLiteral("http://www.youtube.com/watch?v=second"));
        QTRY_COMPARE_WITH_TIMEOUT(messages.shown.size(), 1, 10000);
        const int iWrites = FullDisk::Writes();
        AddTyped(window, QStringLiteral("http://www.youtube.com/watch?v=third"));
        if (!bHeld)
            QTRY_VERIFY_WITH_TIMEOUT(FullDisk::Writes() > iWrites, 10000);
        QCOMPARE(window.Session().ListStore().Count(), bHeld ? 2 : 3);
    }
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY2(messages.shown.at(0).sText.startsWith(sSaid), qPrintable(messages.shown.at(0).sText));
    QCOMPARE(Contents(sList), kept);
    QCOMPARE(firstMessages.shown.size(), 0);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
