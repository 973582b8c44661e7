#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QQuickItem>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>
#include <memory>

#include "core/abouttext.h"
#include "gui/downloadgrid.h"
#include "gui/frmmain.h"
#include "gui/frmmenu.h"
#include "gui/moddialog.h"
#include "gui/skincommands.h"
#include "gui/skinhost.h"
#include "gui/systray.h"
#include "list/downloadliststore.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "httptestserver.h"
#include "monitor/clipboardmonitor.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/runpresenter.h"
#include "settings/cregister.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"
#include "shellscript.h"
#include "urlrecorder.h"

// The window as the user drives it: the skin's commands, the tray icon and
// its menu, the way out, and addresses arriving from outside.
class tst_ShellCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    ScriptedMessageBox m_box;
    UrlRecorder m_browser;
    QString m_sPicked;

    std::unique_ptr<frmMain> NewWindow()
    {
        m_box.shown.clear();
        m_browser.opened.clear();
        auto window = std::make_unique<frmMain>(&m_box);
        // The watcher is not what these tests are about.
        window->Monitor().SetWatcherPath(QStringLiteral("/bin/true"));
        window->SetFolderPicker(
            [this](QWidget *, const QString &, const QString &) { return m_sPicked; });
        window->show();
        return window;
    }

    static DownloadGrid &Grid(frmMain &window)
    {
        return *window.findChild<DownloadGrid *>(QStringLiteral("DownloadGrid"));
    }

    static void AddItems(frmMain &window, int iCount)
    {
        DownloadListStore &store = window.Session().ListStore();
        for (int i = 0; i < iCount; ++i) {
            QString sStatus, sSize;
            store.AddDownloadItem(QStringLiteral("http://www.youtube.com/watch?v=%1").arg(i),
                                  QStringLiteral("file%1").arg(i), sStatus, sSize);
        }
        store.FillDownloadList();
    }

    static QString Url(frmMain &window, int i)
    {
        return window.Session().ListStore().Items().at(i).Video_URL;
    }

    static QString Stored(const QString &sValue)
    {
        return CRegister().REGGetSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                         sValue, QStringLiteral("(none)"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_home.path().toLocal8Bit());
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_browser, "Open");
    }

    void cleanup() { QFile::remove(CRegister::DefaultFile()); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void startUpLaysOutTheWindow();
    void startFinishesWithoutTheWindow();
    void everyCommandReachesItsAction();
    void commandsAreMatchedExactly();
    void addressFieldIsTakenAsTyped_data();
    void addressFieldIsTakenAsTyped();
    void exitDuringARunAsks_data();
    void exitDuringARunAsks();
    void trayExitWaitsForTheMenuToClose();
    void trayIconButtons_data();
    void trayIconButtons();
    void trayMenuEntries();
    void runStartedOnTheAboutPageMarksTheDownloadTab_data();
    void runStartedOnTheAboutPageMarksTheDownloadTab();
    void trayStopEntryStopsTheRun();
    void folderChoiceIsSavedEvenWhenCancelled_data();
    void folderChoiceIsSavedEvenWhenCancelled();
    void hooksComeAndGoWithTheWindow();
    void fieldBeingEditedIsKeptWhenTheWindowCloses_data();
    void fieldBeingEditedIsKeptWhenTheWindowCloses();
    void addressesFromOutsideAreAddedAsCopiedOnes();
    void helpThatNothingOpensSaysWhereItIs();
};

void tst_ShellCommands::startUpLaysOutTheWindow()
{
    auto window = NewWindow();
    QCOMPARE(window->size(), QSize(640, 600));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->Skin().geometry(), QRect(0, 0, 640, 600));
    QCOMPARE(Grid(*window).geometry(), QRect(35, 282, 573, 180));
    QVERIFY(Grid(*window).isVisible());
    QCOMPARE(window->Skin().GetVariable(QStringLiteral("_root.abouttxt")), AboutText());
    // The icons come with the first frame, the tray's beside the window.
    QTRY_VERIFY(window->Tray().intray());
    QVERIFY(!window->Tray().trayicon().isNull());
    QCOMPARE(window->windowIcon().availableSizes().size(), 8);
    QCOMPARE(window->Tray().traytip(), QStringLiteral("Clipvane"));
    QVERIFY(window->Menu());
    QVERIFY(window->Session().Run().sActivePage().isEmpty());
}

// What waits for the first frame (the tray icon, the clipboard watcher)
// comes all the same to a window that is never shown.
void tst_ShellCommands::startFinishesWithoutTheWindow()
{
    QTemporaryDir dir;
    const QString sWatcher = dir.filePath(QStringLiteral("watcher"));
    QVERIFY(WriteShellScript(sWatcher, "echo \"$@\" >> \"$0.log\""));
    const auto storeMonitoring = [](const char *pValue) {
        return CRegister().REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                          SettingsStore::kURLMonValue, QString::fromLatin1(pValue));
    };
    QVERIFY(storeMonitoring("True"));
    // The next test's window starts without watching, whatever happens here.
    const auto stopWatching = qScopeGuard([&] { storeMonitoring("False"); });
    QFile log(sWatcher + QStringLiteral(".log"));

    frmMain window(&m_box);
    window.Monitor().SetWatcherPath(sWatcher);
    QVERIFY(window.Session().Settings().bURLMonitor);
    // Nothing that the first frame may wait for starts as soon as the
    // event loop turns.
    QTest::qWait(200);
    QVERIFY(!window.Tray().intray());
    QVERIFY(!log.exists());
    QTRY_VERIFY(window.Tray().intray());
    QTRY_VERIFY(log.exists());
    QVERIFY(!window.isVisible());
}

void tst_ShellCommands::everyCommandReachesItsAction()
{
    const QString sVideo = QStringLiteral("http://www.youtube.com/watch?v=9");
    struct Row
    {
        const char *sCommand;
        std::function<void(frmMain &)> prepare;
        std::function<bool(frmMain &)> done;
    };
    const auto nothing = [](frmMain &) {};
    const auto twoItemsWithRow = [](int iRow) {
        return [iRow](frmMain &w) {
            AddItems(w, 2);
            Grid(w).SetRowSelected(iRow);
        };
    };
    const auto quality = [](const char *sQuality) {
        return [sQuality](frmMain &w) { w.Session().Settings().sQuality = QLatin1String(sQuality); };
    };
    const auto chosenQuality = [](const char *sQuality) {
        return [sQuality](frmMain &w) {
            return w.Session().Settings().sQuality == QLatin1String(sQuality)
                   && w.Skin().GetVariable(QStringLiteral("_root.quality")) == QLatin1String(sQuality)
                   && Stored(SettingsStore::kQualityValue) == QLatin1String(sQuality);
        };
    };
    // The Transfers card: the settings as a row starts them (the skin still
    // shows the defaults), the limit field's text, and what a command leaves.
    const auto transfers = [](int iConnections, qint64 lLimitKiB, const char *sField) {
        return [=](frmMain &w) {
            w.Session().Settings().iConnections = iConnections;
            w.Session().Settings().lSpeedLimit = lLimitKiB * 1024;
            w.Skin().SetVariable(QStringLiteral("_root.speedLimit"), QLatin1String(sField));
        };
    };
    const auto connectionsAre = [](int iConnections) {
        return [=](frmMain &w) {
            const QString sCount = QString::number(iConnections);
            return w.Session().Settings().iConnections == iConnections
                   && w.Skin().GetVariable(QStringLiteral("_root.connections")) == sCount
                   && Stored(SettingsStore::kConnectionsValue) == sCount;
        };
    };
    // sStored: what the settings file holds afterwards.
    const auto limitIs = [](qint64 lKiB, const char *sStored) {
        return [=](frmMain &w) {
            return w.Session().Settings().lSpeedLimit == lKiB * 1024
                   && w.Skin().GetVariable(QStringLiteral("_root.speedLimit_CB"))
                          == (lKiB > 0 ? "1" : "0")
                   && w.Skin().GetVariable(QStringLiteral("_root.speedLimit"))
                          == (lKiB > 0 ? QString::number(lKiB) : QString())
                   && Stored(SettingsStore::kSpeedLimitValue) == QLatin1String(sStored);
        };
    };
    const Row rows[] = {
        {"ID_FS_connectionsMore", nothing, connectionsAre(5)},
        {"ID_FS_connectionsLess", nothing, connectionsAre(3)},
        {"ID_FS_connectionsMore", transfers(16, 0, ""), connectionsAre(16)},
        {"ID_FS_connectionsLess", transfers(1, 0, ""), connectionsAre(1)},
        {"ID_FS_connectionsLess", transfers(2, 0, ""), connectionsAre(1)},
        {"ID_FS_connectionsMore", transfers(15, 0, ""), connectionsAre(16)},
        {"ID_FS_speedLimitCheck", transfers(4, 0, ""), limitIs(1024, "1024")},
        {"ID_FS_speedLimitCheck", transfers(4, 0, " 300 "), limitIs(300, "300")},
        {"ID_FS_speedLimitCheck", transfers(4, 0, "fast"), limitIs(1024, "1024")},
        {"ID_FS_speedLimitUncheck", transfers(4, 500, "500"), limitIs(0, "0")},
        {"ID_FS_speedLimit", transfers(4, 500, "2048"), limitIs(2048, "2048")},
        {"ID_FS_speedLimit", transfers(4, 0, "64"), limitIs(64, "64")},
        // Refused: the setting stays, unsaved, and the field shows it again.
        {"ID_FS_speedLimit", transfers(4, 700, "12.5"), limitIs(700, "(none)")},
        {"ID_FS_speedLimit", transfers(4, 700, "0"), limitIs(700, "(none)")},
        {"ID_FS_speedLimit", transfers(4, 700, "-5"), limitIs(700, "(none)")},
        {"ID_FS_speedLimit", transfers(4, 0, "x"), limitIs(0, "(none)")},
        {"IDC_FS_Minimize", nothing, [](frmMain &w) { return w.isMinimized(); }},
        {"IDC_FS_Tray", nothing,
         [](frmMain &w) {
             // Without a notification area the window is minimised instead,
             // so that it cannot get lost.
             return SysTray::Available() ? w.isHidden() && w.Tray().intray() : w.isMinimized();
         }},
        {"IDC_FS_Slider", nothing, [](frmMain &w) { return Grid(w).isHidden(); }},
        {"IDC_FS_Download", [](frmMain &w) { Grid(w).hide(); },
         [](frmMain &w) {
             return Grid(w).isVisible() && w.Session().Run().sActivePage() == "Download";
         }},
        {"IDC_FS_About", nothing,
         [](frmMain &w) {
             return Grid(w).isHidden() && w.Session().Run().sActivePage() == "About";
         }},
        {"IDC_FS_help", nothing,
         [this](frmMain &) {
             return m_browser.opened.size() == 1 && m_browser.opened[0].isLocalFile()
                    && m_browser.opened[0].fileName() == "help.html"
                    && !m_browser.opened[0].hasFragment();
         }},
        {"ID_FS_webSite", nothing,
         [this](frmMain &) {
             return m_browser.opened.size() == 1 && m_browser.opened[0].fileName() == "help.html"
                    && m_browser.opened[0].fragment() == "about";
         }},
        {"IDC_FS_startDownload", nothing,
         [](frmMain &w) { return w.Session().Queue().tmrDownload.isActive(); }},
        // Idle, the stop command starts a run too, which finds the list empty.
        {"IDC_FS_stopDownload", nothing, [this](frmMain &) { return m_box.shown.size() == 1; }},
        {"IDC_FS_addDownloadURL",
         [sVideo](frmMain &w) { w.Skin().SetVariable(QStringLiteral("_root.video_url"), sVideo); },
         [sVideo](frmMain &w) {
             const auto &list = w.Session().ListStore().Items();
             return list.size() == 1 && list[0].Video_URL == sVideo;
         }},
        {"IDC_FS_selectAllD", [](frmMain &w) { AddItems(w, 3); },
         [](frmMain &w) { return Grid(w).selectionModel()->selectedRows().size() == 3; }},
        {"IDC_FS_removeSelectedD", twoItemsWithRow(0),
         [](frmMain &w) {
             return w.Session().ListStore().Count() == 1
                    && Url(w, 0).endsWith("v=1");
         }},
        {"IDC_FS_moveUp", twoItemsWithRow(1),
         [](frmMain &w) { return Url(w, 0).endsWith("v=1"); }},
        {"IDC_FS_moveDown", twoItemsWithRow(0),
         [](frmMain &w) { return Url(w, 1).endsWith("v=0"); }},
        {"ID_FS_clearComplete",
         [](frmMain &w) {
             DownloadListStore &store = w.Session().ListStore();
             QString sStatus = QStringLiteral("Complete"), sSize;
             store.AddDownloadItem(QStringLiteral("http://www.youtube.com/watch?v=5"),
                                   QStringLiteral("done"), sStatus, sSize);
             AddItems(w, 1);
         },
         [](frmMain &w) {
             return w.Session().ListStore().Count() == 1
                    && Url(w, 0).endsWith("v=0");
         }},
        {"ID_FS_downloadBrowse", [this](frmMain &) { m_sPicked = QStringLiteral("/srv/chosen"); },
         [](frmMain &w) {
             return w.Session().Settings().sDownloadDir == "/srv/chosen"
                    && w.Skin().GetVariable(QStringLiteral("_root.download_dir")) == "/srv/chosen"
                    && Stored(SettingsStore::kDownloadDirValue) == "/srv/chosen";
         }},
        {"ID_FS_autoDownloadCheck",
         [](frmMain &w) { w.Session().Settings().bURLMonitor = false; },
         [](frmMain &w) {
             return w.Session().Settings().bURLMonitor
                    && w.Skin().GetVariable(QStringLiteral("_root.autoToDownloadList_CB")) == "1"
                    && Stored(SettingsStore::kURLMonValue) == "True";
         }},
        {"ID_FS_autoDownloadUncheck",
         [](frmMain &w) { w.Session().Settings().bURLMonitor = true; },
         [](frmMain &w) {
             return !w.Session().Settings().bURLMonitor
                    && w.Skin().GetVariable(QStringLiteral("_root.autoToDownloadList_CB")) == "0"
                    && Stored(SettingsStore::kURLMonValue) == "False";
         }},
        {"ID_FS_anySiteCheck", nothing,
         [](frmMain &w) {
             return w.Session().Settings().bAnySite
                    && w.Skin().GetVariable(QStringLiteral("_root.anySite_CB")) == "1"
                    && Stored(SettingsStore::kAnySiteValue) == "True";
         }},
        {"ID_FS_anySiteUncheck", [](frmMain &w) { w.Session().Settings().bAnySite = true; },
         [](frmMain &w) {
             return !w.Session().Settings().bAnySite
                    && w.Skin().GetVariable(QStringLiteral("_root.anySite_CB")) == "0"
                    && Stored(SettingsStore::kAnySiteValue) == "False";
         }},
        {"ID_FS_playlistAllCheck", nothing,
         [](frmMain &w) {
             return w.Session().Settings().bPlaylistAll
                    && w.Skin().GetVariable(QStringLiteral("_root.playlistAll_CB")) == "1"
                    && Stored(SettingsStore::kPlaylistAllValue) == "True";
         }},
        // The browsers in turn, and after the last none again.
        {"ID_FS_cookiesBrowserNext",
         [](frmMain &w) { w.Session().Settings().sCookiesBrowser = QStringLiteral("brave"); },
         [](frmMain &w) {
             return w.Session().Settings().sCookiesBrowser == "edge"
                    && w.Skin().GetVariable(QStringLiteral("_root.cookiesBrowser")) == "edge"
                    && Stored(SettingsStore::kCookiesBrowserValue) == "edge";
         }},
        {"ID_FS_cookiesBrowserNext",
         [](frmMain &w) { w.Session().Settings().sCookiesBrowser = QStringLiteral("opera"); },
         [](frmMain &w) {
             return w.Session().Settings().sCookiesBrowser.isEmpty()
                    && w.Skin().GetVariable(QStringLiteral("_root.cookiesBrowser")) == "none";
         }},
        // A program that is not there is the setting all the same, and
        // shows as not found.
        {"ID_FS_ytDlpProgram",
         [](frmMain &w) {
             w.Skin().SetVariable(QStringLiteral("_root.ytDlpProgram"),
                                  QStringLiteral(" /nowhere/yt-dlp "));
         },
         [](frmMain &w) {
             return w.Session().Settings().sYtDlpProgram == "/nowhere/yt-dlp"
                    && Stored(SettingsStore::kYtDlpProgramValue) == "/nowhere/yt-dlp"
                    && w.Skin().GetVariable(QStringLiteral("_root.ytDlpVersion")) == "not found";
         }},
        // Each Quality button sets the setting, shows it and keeps it; the
        // setting starts elsewhere, so the row proves the change.
        {"ID_FS_qualityBest", quality("smallest"), chosenQuality("best")},
        {"ID_FS_quality1080", nothing, chosenQuality("1080")},
        {"ID_FS_quality720", nothing, chosenQuality("720")},
        {"ID_FS_quality480", nothing, chosenQuality("480")},
        {"ID_FS_qualitySmallest", nothing, chosenQuality("smallest")},
        {"ID_FS_notifyUncheck", nothing,
         [](frmMain &w) {
             return !w.Session().Settings().bNotify
                    && w.Skin().GetVariable(QStringLiteral("_root.notify_CB")) == "0"
                    && Stored(SettingsStore::kNotifyValue) == "False";
         }},
        {"ID_FS_notifyCheck", [](frmMain &w) { w.Session().Settings().bNotify = false; },
         [](frmMain &w) {
             return w.Session().Settings().bNotify
                    && w.Skin().GetVariable(QStringLiteral("_root.notify_CB")) == "1"
                    && Stored(SettingsStore::kNotifyValue) == "True";
         }},
    };
    for (const Row &row : rows) {
        auto window = NewWindow();
        row.prepare(*window);
        QVERIFY2(!row.done(*window), row.sCommand);
        QVERIFY2(window->Flash_FSCommand(QLatin1String(row.sCommand), QString()), row.sCommand);
        QVERIFY2(row.done(*window), row.sCommand);
        cleanup();
    }

    // The close command ends the program at once when nothing runs.
    auto window = NewWindow();
    QSignalSpy ending(window.get(), &frmMain::Ending);
    QVERIFY(window->Flash_FSCommand(QStringLiteral("IDC_FS_Close"), QString()));
    QCOMPARE(ending.size(), 1);
    QVERIFY(m_box.shown.isEmpty());
}

void tst_ShellCommands::commandsAreMatchedExactly()
{
    auto window = NewWindow();
    QSignalSpy ending(window.get(), &frmMain::Ending);
    for (const QString &sCommand : SkinCommands::AllCommands()) {
        for (const QString &sVariant : {sCommand.toLower(), sCommand.toUpper()}) {
            QVERIFY2(!window->Flash_FSCommand(sVariant, QString()), qPrintable(sVariant));
        }
    }
    QVERIFY(!window->Flash_FSCommand(QStringLiteral("IDC_FS_Unknown"), QString()));
    QCOMPARE(ending.size(), 0);
    QVERIFY(window->isVisible());
    QVERIFY(!window->Session().Queue().tmrDownload.isActive());
}

void tst_ShellCommands::addressFieldIsTakenAsTyped_data()
{
    QTest::addColumn<QString>("sField");
    QTest::addColumn<int>("iAdded");
    QTest::addColumn<bool>("bDownloading");
    QTest::newRow("blanks only") << "  \t " << 0 << false;
    QTest::newRow("leading blank kept") << " http://www.youtube.com/watch?v=7" << 1 << false;
    QTest::newRow("during a run") << "http://www.youtube.com/watch?v=8" << 1 << true;
}

void tst_ShellCommands::addressFieldIsTakenAsTyped()
{
    QFETCH(QString, sField);
    QFETCH(int, iAdded);
    QFETCH(bool, bDownloading);
    auto window = NewWindow();
    RunState &run = window->Session().Run();
    if (bDownloading) {
        AddItems(*window, 2);
        run.BeginRun();
        run.SetCurrentItem(1);
    }
    const int iBefore = window->Session().ListStore().Count();
    window->Skin().SetVariable(QStringLiteral("_root.video_url"), sField);
    window->Flash_FSCommand(QStringLiteral("IDC_FS_addDownloadURL"), QString());
    const auto &list = window->Session().ListStore().Items();
    QCOMPARE(list.size(), iBefore + iAdded);
    if (iAdded)
        QCOMPARE(list.last().Video_URL, sField);
    if (bDownloading)
        QCOMPARE(run.iCurrentItem(), 1);
    run.EndRun();
}

void tst_ShellCommands::exitDuringARunAsks_data()
{
    QTest::addColumn<bool>("bYes");
    QTest::addColumn<bool>("bFromTheDesktop"); // Alt+F4 rather than the skin's close
    QTest::newRow("skin close, No") << false << false;
    QTest::newRow("skin close, Yes") << true << false;
    QTest::newRow("desktop close, No") << false << true;
    QTest::newRow("desktop close, Yes") << true << true;
}

void tst_ShellCommands::exitDuringARunAsks()
{
    QFETCH(bool, bYes);
    QFETCH(bool, bFromTheDesktop);
    auto window = NewWindow();
    window->Session().Settings().bURLMonitor = true;
    QVERIFY(CRegister().REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                       SettingsStore::kURLMonValue, QStringLiteral("True")));
    RunState &run = window->Session().Run();
    run.BeginRun();
    m_box.answerToQuestions = bYes ? IMessageBox::Answer::Yes : IMessageBox::Answer::No;
    QSignalSpy ending(window.get(), &frmMain::Ending);

    if (bFromTheDesktop)
        window->close();
    else
        window->Flash_FSCommand(QStringLiteral("IDC_FS_Close"), QString());

    QCOMPARE(m_box.shown.size(), 1);
    QCOMPARE(m_box.shown[0].sText,
             QStringLiteral("Download is in Progress, Are you sure that you want to exit?"));
    QCOMPARE(m_box.shown[0].icon, IMessageBox::Icon::Question);
    QCOMPARE(m_box.shown[0].buttons, IMessageBox::Buttons::YesNo);
    QCOMPARE(ending.size(), bYes ? 1 : 0);
    QCOMPARE(run.bStopRequested(), bYes);
    QCOMPARE(window->isVisible(), !bYes);
    // Ending stops the watcher but keeps the stored choice for the next start.
    QCOMPARE(window->Session().Settings().bURLMonitor, !bYes);
    QCOMPARE(Stored(SettingsStore::kURLMonValue), QStringLiteral("True"));
    run.EndRun();
    m_box.answerToQuestions = IMessageBox::Answer::No;
}

void tst_ShellCommands::trayExitWaitsForTheMenuToClose()
{
    auto window = NewWindow();
    QSignalSpy ending(window.get(), &frmMain::Ending);
    window->Menu()->mnuExit->trigger();
    QCOMPARE(ending.size(), 0);
    QVERIFY(ending.wait(5000));
    QCOMPARE(ending.size(), 1);
}

void tst_ShellCommands::trayIconButtons_data()
{
    QTest::addColumn<bool>("bDoubleClick");
    QTest::addColumn<int>("iButton");
    QTest::addColumn<QString>("sWindow"); // "shown", "hidden" or "minimised"
    QTest::addColumn<bool>("bMenuOpens");
    QTest::addColumn<bool>("bShown"); // shown and not minimised afterwards
    QTest::newRow("right press opens the menu") << false << 2 << "shown" << true << true;
    QTest::newRow("right press, window hidden") << false << 2 << "hidden" << true << false;
    // Trays that speak StatusNotifierItem report no double-click at all.
    QTest::newRow("left press shows") << false << 1 << "hidden" << false << true;
    QTest::newRow("left press, minimised") << false << 1 << "minimised" << false << true;
    QTest::newRow("middle press does nothing") << false << 4 << "hidden" << false << false;
    QTest::newRow("left double-click shows") << true << 1 << "hidden" << false << true;
    QTest::newRow("left double-click, minimised") << true << 1 << "minimised" << false << true;
    QTest::newRow("left double-click, visible") << true << 1 << "shown" << false << true;
    QTest::newRow("right double-click does nothing") << true << 2 << "hidden" << false << false;
}

void tst_ShellCommands::trayIconButtons()
{
    QFETCH(bool, bDoubleClick);
    QFETCH(int, iButton);
    QFETCH(QString, sWindow);
    QFETCH(bool, bMenuOpens);
    QFETCH(bool, bShown);
    auto window = NewWindow();
    if (sWindow == QLatin1String("hidden"))
        window->hide();
    else if (sWindow == QLatin1String("minimised"))
        window->Flash_FSCommand(QStringLiteral("IDC_FS_Minimize"), QString());
    if (bDoubleClick)
        Q_EMIT window->Tray().DblClick(iButton);
    else
        Q_EMIT window->Tray().MouseDown(iButton);
    QCOMPARE(window->Menu()->TRAYMENU->isVisible(), bMenuOpens);
    QCOMPARE(window->isVisible() && !window->isMinimized(), bShown);
    window->Menu()->TRAYMENU->hide();
}

void tst_ShellCommands::trayMenuEntries()
{
    auto window = NewWindow();
    frmMenu &menu = *window->Menu();
    QStringList captions;
    for (QAction *pAction : menu.TRAYMENU->actions()) {
        if (pAction->isVisible())
            captions << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    }
    QCOMPARE(captions, (QStringList{"Clipvane", "-", "Start Downloading", "-",
                                    "Monitor Video URL's in Clipboard", "-", "Exit Clipvane"}));

    // The check mark is brought up to date each time the menu opens.
    ProgramSettings &settings = window->Session().Settings();
    for (bool bMonitoring : {true, false}) {
        settings.bURLMonitor = bMonitoring;
        Q_EMIT window->Tray().MouseDown(SysTray::kRightButton);
        QCOMPARE(menu.mnuMonitor->isChecked(), bMonitoring);
        menu.TRAYMENU->hide();
    }

    // The monitoring entry switches the watcher and the skin's box, and
    // leaves the stored choice alone.
    settings.bURLMonitor = true;
    menu.mnuMonitor->trigger();
    QVERIFY(!settings.bURLMonitor);
    QCOMPARE(window->Skin().GetVariable(QStringLiteral("_root.autoToDownloadList_CB")), "0");
    QCOMPARE(Stored(SettingsStore::kURLMonValue), QStringLiteral("(none)"));
    Q_EMIT window->Tray().MouseDown(SysTray::kRightButton);
    QVERIFY(!menu.mnuMonitor->isChecked());
    menu.TRAYMENU->hide();

    // The start/stop entry follows the run and sends the skin's command.
    window->Session().Presenter().ShowRunStarted();
    QCOMPARE(menu.mnuDownload->text(), RunPresenter::kStopCaption);
    window->Session().Presenter().ShowRunEnded();
    QCOMPARE(menu.mnuDownload->text(), RunPresenter::kStartCaption);
    menu.mnuDownload->trigger();
    QVERIFY(window->Session().Queue().tmrDownload.isActive());
    window->Session().Queue().tmrDownload.stop();

    window->hide();
    menu.mnuWebVideo->trigger();
    QVERIFY(window->isVisible());
}

void tst_ShellCommands::addressesFromOutsideAreAddedAsCopiedOnes()
{
    auto window = NewWindow();
    const QString sHanded = QStringLiteral("http://www.youtube.com/watch?v=21");
    window->TakeAddresses({sHanded});
    QCOMPARE(window->Session().ListStore().Count(), 1);
    QCOMPARE(window->Skin().GetVariable(QStringLiteral("_root.video_url")), sHanded);
    QVERIFY(window->Session().Queue().tmrDownload.isActive());
    window->Session().Queue().tmrDownload.stop();

    // A link dragged from a browser, and a document's text that is none.
    const struct
    {
        std::function<void(QMimeData &)> fill;
        int iAdded;
    } drops[] = {
        {[](QMimeData &m) { m.setUrls({QUrl(QStringLiteral("http://www.youtube.com/watch?v=22"))}); }, 1},
        {[](QMimeData &m) { m.setText(QStringLiteral("http://www.youtube.com/watch?v=23")); }, 1},
        {[](QMimeData &m) { m.setText(QStringLiteral("two\nlines")); }, 0},
        {[](QMimeData &m) { m.setUrls({QUrl::fromLocalFile(QStringLiteral("/etc/passwd"))}); }, 0},
    };
    for (const auto &drop : drops) {
        const int iBefore = window->Session().ListStore().Count();
        QMimeData mime;
        drop.fill(mime);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        QCOMPARE(enter.isAccepted(), drop.iAdded > 0);
        QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &dropped);
        QCOMPARE(window->Session().ListStore().Count(), iBefore + drop.iAdded);
    }
    window->Session().Queue().tmrDownload.stop();
}

void tst_ShellCommands::helpThatNothingOpensSaysWhereItIs()
{
    auto window = NewWindow();
    // No program takes the document: the offscreen desktop opens nothing.
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    for (const char *sCommand : {"IDC_FS_help", "ID_FS_webSite"})
        window->Flash_FSCommand(QLatin1String(sCommand), QString());
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_browser, "Open");
    QCOMPARE(m_box.shown.size(), 2);
    for (const auto &box : std::as_const(m_box.shown))
        QVERIFY2(box.sText.endsWith(QLatin1String("/help.html")), qPrintable(box.sText));
}

void tst_ShellCommands::runStartedOnTheAboutPageMarksTheDownloadTab_data()
{
    QTest::addColumn<QString>("sPageCommand");
    QTest::addColumn<QString>("sMark");
    QTest::newRow("About shown") << "IDC_FS_About" << "1";
    QTest::newRow("Download shown") << "IDC_FS_Download" << "";
    QTest::newRow("no page chosen yet") << "" << "";
}

void tst_ShellCommands::runStartedOnTheAboutPageMarksTheDownloadTab()
{
    QFETCH(QString, sPageCommand);
    QFETCH(QString, sMark);
    auto window = NewWindow();
    // A finished item: the run starts and has nothing to fetch.
    DownloadListStore &store = window->Session().ListStore();
    QString sStatus = QStringLiteral("Complete"), sSize;
    store.AddDownloadItem(QStringLiteral("http://www.youtube.com/watch?v=1"),
                          QStringLiteral("done"), sStatus, sSize);
    store.FillDownloadList();
    window->Session().Queue().SetConnectivityTest([] { return true; });
    if (!sPageCommand.isEmpty())
        window->Flash_FSCommand(sPageCommand, QString());
    const QString sVariable = QStringLiteral("_root.downloadBtnTab");
    QCOMPARE(window->Skin().GetVariable(sVariable), QString());
    window->Flash_FSCommand(QStringLiteral("IDC_FS_stopDownload"), QString());
    QVERIFY(m_box.shown.isEmpty());
    QCOMPARE(window->Skin().GetVariable(sVariable), sMark);
}

void tst_ShellCommands::trayStopEntryStopsTheRun()
{
    // A video that sends a few blocks and then nothing: the run waits on it.
    HttpTestServer server;
    QVERIFY(server.Start());
    HttpTestServer::Response stalling = HttpTestServer::Ok(QByteArray(100000, 's'), "video/x-flv");
    stalling.trickleBytes = 8192;
    stalling.trickleIntervalMs = 600000;
    server.SetRoute(QStringLiteral("/files/stall.flv"), stalling);
    server.SetRoute(QStringLiteral("/angryalien.com/stall.html"),
                    HttpTestServer::Ok("<html><embed src=\""
                                           + server.Url(QStringLiteral("/files/stall.flv")).toLatin1()
                                           + "\" width=400></html>",
                                       "text/html"));
    QTemporaryDir downloads;
    auto window = NewWindow();
    DownloadSession &session = window->Session();
    session.Settings().sDownloadDir = downloads.path();
    session.Queue().SetConnectivityTest([] { return true; });
    session.Adder().AddURL(server.Url(QStringLiteral("/angryalien.com/stall.html")));
    session.Queue().tmrDownload.stop();
    m_box.answerToQuestions = IMessageBox::Answer::Yes;

    // The entry is chosen from inside the run, once the transfer is under way.
    QAction *pEntry = window->Menu()->mnuDownload;
    QTimer chooser;
    connect(&chooser, &QTimer::timeout, this, [&] {
        if (session.ListStore().Items().at(0).Status.toDouble() > 0
            && pEntry->text() == RunPresenter::kStopCaption) {
            chooser.stop();
            pEntry->trigger();
        }
    });
    chooser.start(20);
    // "Start Downloading" starts the run 200 ms later, as the skin's button does.
    pEntry->trigger();
    QVERIFY(session.Queue().tmrDownload.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!chooser.isActive() && !session.Run().bDownloading(), 30000);
    m_box.answerToQuestions = IMessageBox::Answer::No;

    QCOMPARE(m_box.shown.size(), 1);
    QCOMPARE(m_box.shown[0].sText,
             QStringLiteral("Are you sure that you want to cancel downloading?"));
    QCOMPARE(session.ListStore().Items().at(0).Status, QStringLiteral("Cancelled"));
    QCOMPARE(pEntry->text(), RunPresenter::kStartCaption);
}

void tst_ShellCommands::folderChoiceIsSavedEvenWhenCancelled_data()
{
    QTest::addColumn<bool>("bChosen");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

// The desktop's own picker: where it opens, what it says, what its button
// says; the choice is saved either way, and nothing of the picker's own
// state goes into the program's settings file.
void tst_ShellCommands::folderChoiceIsSavedEvenWhenCancelled()
{
    QFETCH(bool, bChosen);
    QTemporaryDir before;
    const QString sChosen = QDir(before.path()).filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(sChosen));
    auto window = NewWindow();
    window->SetFolderPicker(&modDialog::BrowseForFolder);
    window->Session().Settings().sDownloadDir = before.path();
    window->Skin().SetVariable(QStringLiteral("_root.download_dir"), before.path());

    QString sPrompt, sOpenedAt, sAccept;
    QTimer::singleShot(0, this, [&] {
        auto *pDialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!pDialog)
            return;
        sPrompt = pDialog->windowTitle();
        sOpenedAt = pDialog->directory().absolutePath();
        const auto *pButtons = pDialog->findChild<QDialogButtonBox *>();
        for (QAbstractButton *pButton : pButtons->buttons()) {
            if (pButtons->buttonRole(pButton) == QDialogButtonBox::AcceptRole)
                sAccept = pButton->text();
        }
        pDialog->selectFile(sChosen);
        if (bChosen)
            static_cast<QDialog *>(pDialog)->accept();
        else
            pDialog->reject();
    });
    window->Flash_FSCommand(QStringLiteral("ID_FS_downloadBrowse"), QString());

    QCOMPARE(sPrompt, QStringLiteral("Please select the desired Download directory then press Ok."));
    QCOMPARE(sOpenedAt, before.path());
    QCOMPARE(sAccept, QStringLiteral("OK"));
    const QString sExpected = bChosen ? sChosen : before.path();
    QCOMPARE(window->Session().Settings().sDownloadDir, sExpected);
    QCOMPARE(window->Skin().GetVariable(QStringLiteral("_root.download_dir")), sExpected);
    QCOMPARE(Stored(SettingsStore::kDownloadDirValue), sExpected);
    QFile stored(CRegister::DefaultFile());
    QVERIFY(stored.open(QIODevice::ReadOnly));
    const QByteArray content = stored.readAll();
    QVERIFY2(!content.contains("FileDialog") && !content.contains("lastVisited"), content);
}

// Installed with the window and taken away by its end: the wheel over the
// grid moves one row while the window lives.
void tst_ShellCommands::hooksComeAndGoWithTheWindow()
{
    auto window = NewWindow();
    AddItems(*window, 40);
    DownloadGrid &grid = Grid(*window);
    auto turn = [&grid] {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &wheel);
        return grid.verticalScrollBar()->value();
    };
    QCOMPARE(turn(), 1);
    window->EndMe();
    QCOMPARE(turn(), 1 + QApplication::wheelScrollLines());
}

void tst_ShellCommands::fieldBeingEditedIsKeptWhenTheWindowCloses_data()
{
    QTest::addColumn<QString>("sField");
    QTest::addColumn<QString>("sTyped");
    QTest::addColumn<QString>("sKey");
    QTest::newRow("yt-dlp program") << "ytDlpProgramField" << "/opt/yt-dlp"
                                    << SettingsStore::kYtDlpProgramValue;
    QTest::newRow("speed limit") << "speedLimitField" << "512" << SettingsStore::kSpeedLimitValue;
}

void tst_ShellCommands::fieldBeingEditedIsKeptWhenTheWindowCloses()
{
    QFETCH(QString, sField);
    QFETCH(QString, sTyped);
    QFETCH(QString, sKey);
    auto window = NewWindow();
    SkinHost &skin = window->Skin();
    skin.rootObject()->setProperty("page", QStringLiteral("settings"));
    auto *field = skin.rootObject()->findChild<QQuickItem *>(sField);
    QVERIFY(field);
    skin.setFocus();
    field->forceActiveFocus();
    field->setProperty("text", QString());
    QTest::keyClicks(&skin, sTyped);
    window.reset();
    QCOMPARE(Stored(sKey), sTyped);
}

QTEST_MAIN(tst_ShellCommands)
#include "tst_shellcommands.moc"
