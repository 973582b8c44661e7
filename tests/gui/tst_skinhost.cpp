#include <QAccessible>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include "gui/skinhost.h"

namespace {

using Commands = QList<QPair<QString, QString>>;

// Controls every page shows, in the order Tab visits them.
const QStringList kHeaderControls = {
    QStringLiteral("minimiseButton"), QStringLiteral("trayButton"),
    QStringLiteral("closeButton"),    QStringLiteral("downloadTab"),
    QStringLiteral("settingsTab"),    QStringLiteral("aboutTab"),
};

// A shown skin in a parent widget, with a focusable widget laid over its
// list area the way the download grid is, recording the commands it sends
// and the context-menu events that get past it.
struct Skin
{
    // Declared before the window: a field that has the focus as the window
    // goes still sends its command.
    Commands commands;
    int contextMenusSeenByWindow = 0;
    QWidget window;
    SkinHost *host = new SkinHost(&window);
    QLineEdit *overlay = new QLineEdit(&window);

    Skin()
    {
        QObject::connect(host, &SkinHost::FSCommand, [this](const QString &c, const QString &a) {
            commands.append({c, a});
        });
        window.setFixedSize(host->size());
        overlay->setGeometry(35, 282, 573, 180);
        host->SetListWidget(overlay);
        window.show();
        window.activateWindow();
    }

    QQuickItem *Item(const QString &name) const
    {
        if (name == QStringLiteral("scene"))
            return host->rootObject();
        return host->rootObject()->findChild<QQuickItem *>(name);
    }

    void ShowPage(const QString &page)
    {
        QQmlProperty::write(host->rootObject(), QStringLiteral("page"), page);
    }

    void Apply(const QStringList &settings)
    {
        for (const QString &setting : settings) {
            const qsizetype eq = setting.indexOf(QLatin1Char('='));
            host->SetVariable(setting.left(eq), setting.mid(eq + 1));
        }
    }

    void Click(QQuickItem *item, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint centre =
            item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        QTest::mouseClick(host, button, Qt::NoModifier, centre);
    }

    QString Focused() const
    {
        QQuickItem *item = host->quickWindow()->activeFocusItem();
        return item ? item->objectName() : QString();
    }
};

} // namespace

class tst_SkinHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rendersAtTheDevicePixelRatio();
    void variablesReadBackAndReachTheScene();
    void sceneFollowsVariables_data();
    void sceneFollowsVariables();
    void controlsSendTheirCommands_data();
    void controlsSendTheirCommands();
    void pointerRestingShowsToolTips_data();
    void pointerRestingShowsToolTips();
    void pressOnTheHeaderDragsTheWindow();
    void listAreaFramesTheGridsPlace();
    void addressFieldWritesTheAddressVariable();
    void settingsFieldsSendWhenEditingEnds_data();
    void settingsFieldsSendWhenEditingEnds();
    void checkBoxAsksForTheOppositeOfItsVariable_data();
    void checkBoxAsksForTheOppositeOfItsVariable();
    void tabReachesEveryControl_data();
    void tabReachesEveryControl();
    void focusMovesToTheTabWhenItsPageHides();
    void contextMenuStopsAtTheSkin_data();
    void contextMenuStopsAtTheSkin();
};

void tst_SkinHost::initTestCase()
{
    // The application exists already; what counts is that the choice stays
    // with the user's QT_QUICK_BACKEND and that the scene loads under it.
    SkinHost::SelectRenderer();
    Skin skin;
    QVERIFY2(skin.host->rootObject(), "Main.qml did not load");
    QCOMPARE(skin.host->size(), QSize(640, 600));
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        QCOMPARE(skin.host->quickWindow()->rendererInterface()->graphicsApi(),
                 QSGRendererInterface::Software);
    }
}

void tst_SkinHost::rendersAtTheDevicePixelRatio()
{
    // Run once more by CTest with QT_SCALE_FACTOR=2: the scene must be drawn
    // at the screen's resolution, not drawn small and scaled up.
    Skin skin;
    const QImage frame = skin.host->grabFramebuffer();
    const qreal ratio = skin.host->devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    QCOMPARE(frame.devicePixelRatio(), ratio);
    QCOMPARE(frame.size(), QSize(qRound(640 * ratio), qRound(600 * ratio)));
}

void tst_SkinHost::variablesReadBackAndReachTheScene()
{
    Skin skin;
    const QStringList names = {
        QStringLiteral("startDownload"), QStringLiteral("downloadBtn"),
        QStringLiteral("downloadTab"),   QStringLiteral("downloadBtnTab"),
        QStringLiteral("video_url"),     QStringLiteral("download_dir"),
        QStringLiteral("abouttxt"),      QStringLiteral("autoToDownloadList_CB"),
        QStringLiteral("Download_CB"),   QStringLiteral("Convert_CB"),
        QStringLiteral("anySite_CB"),    QStringLiteral("quality"),
        QStringLiteral("notify_CB"),     QStringLiteral("transferLine"),
        QStringLiteral("trayAvailable"), QStringLiteral("connections"),
        QStringLiteral("speedLimit_CB"), QStringLiteral("speedLimit"),
    };
    for (const QString &name : names) {
        const QString full = QStringLiteral("_root.") + name;
        QCOMPARE(skin.host->GetVariable(full), QString());
        const QString value = QStringLiteral("value of ") + name;
        skin.host->SetVariable(full, value);
        QCOMPARE(skin.host->GetVariable(full), value);

        QQmlExpression seen(skin.host->rootContext(), skin.host->rootObject(),
                            QStringLiteral("vars.") + name);
        QCOMPARE(seen.evaluate().toString(), value);
    }
    // Names are exact: another letter case is another variable.
    QCOMPARE(skin.host->GetVariable(QStringLiteral("_root.StartDownload")), QString());
    // A name the scene does not use is kept all the same, and a property of
    // the object holding the variables is no variable.
    const QString other = QStringLiteral("_root.objectName");
    skin.host->SetVariable(other, QStringLiteral("kept"));
    QCOMPARE(skin.host->GetVariable(other), QStringLiteral("kept"));
    QQmlExpression holderName(skin.host->rootContext(), skin.host->rootObject(),
                              QStringLiteral("vars.objectName"));
    QCOMPARE(holderName.evaluate().toString(), QString());
}

void tst_SkinHost::sceneFollowsVariables_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");

    const QString start = QStringLiteral("startButton");
    const QString text = QStringLiteral("text");
    const QString download = QStringLiteral("download");
    QTest::newRow("idle before any run") << download << QStringList() << start << text
                                         << QVariant(QStringLiteral("Start"));
    QTest::newRow("run started")
        << download
        << QStringList{QStringLiteral("_root.downloadBtn=0"), QStringLiteral("_root.startDownload=0")}
        << start << text << QVariant(QStringLiteral("Stop"));
    QTest::newRow("run ended")
        << download
        << QStringList{QStringLiteral("_root.startDownload=0"), QStringLiteral("_root.downloadBtn=0"),
                       QStringLiteral("_root.startDownload=1"), QStringLiteral("_root.downloadBtn=1")}
        << start << text << QVariant(QStringLiteral("Start"));
    QTest::newRow("start refused for an empty list")
        << download << QStringList{QStringLiteral("_root.startDownload=1")} << start << text
        << QVariant(QStringLiteral("Start"));
    QTest::newRow("activity dot while a run is on")
        << download << QStringList{QStringLiteral("_root.downloadTab=0")}
        << QStringLiteral("downloadTab") << QStringLiteral("busy") << QVariant(true);
    QTest::newRow("no activity dot after the run")
        << download
        << QStringList{QStringLiteral("_root.downloadTab=0"), QStringLiteral("_root.downloadTab=1")}
        << QStringLiteral("downloadTab") << QStringLiteral("busy") << QVariant(false);
    QTest::newRow("run started from the About page is pointed at")
        << QStringLiteral("about")
        << QStringList{QStringLiteral("_root.downloadBtnTab=1"), QStringLiteral("_root.downloadTab=0")}
        << QStringLiteral("downloadTab") << QStringLiteral("attention") << QVariant(true);
    QTest::newRow("address set by the program")
        << download << QStringList{QStringLiteral("_root.video_url=http://www.break.com/v/1")}
        << QStringLiteral("urlField") << text << QVariant(QStringLiteral("http://www.break.com/v/1"));
    QTest::newRow("download directory")
        << QStringLiteral("settings")
        << QStringList{QStringLiteral("_root.download_dir=/home/u/Downloaded Videos")}
        << QStringLiteral("downloadDirText") << text
        << QVariant(QStringLiteral("/home/u/Downloaded Videos"));
    QTest::newRow("monitoring on")
        << QStringLiteral("settings") << QStringList{QStringLiteral("_root.autoToDownloadList_CB=1")}
        << QStringLiteral("monitorCheckBox") << QStringLiteral("checked") << QVariant(true);
    QTest::newRow("monitoring off")
        << QStringLiteral("settings")
        << QStringList{QStringLiteral("_root.autoToDownloadList_CB=1"),
                       QStringLiteral("_root.autoToDownloadList_CB=0")}
        << QStringLiteral("monitorCheckBox") << QStringLiteral("checked") << QVariant(false);
    const QString about = QStringLiteral("_root.abouttxt=Version 1.0.0.7\r\nClipvane is easy.");
    QTest::newRow("about, first line")
        << QStringLiteral("about") << QStringList{about} << QStringLiteral("aboutVersionText")
        << text << QVariant(QStringLiteral("Version 1.0.0.7"));
    QTest::newRow("about, second line")
        << QStringLiteral("about") << QStringList{about} << QStringLiteral("aboutDescriptionText")
        << text << QVariant(QStringLiteral("Clipvane is easy."));
}

void tst_SkinHost::sceneFollowsVariables()
{
    QFETCH(QString, page);
    QFETCH(QStringList, settings);
    QFETCH(QString, item);
    QFETCH(QString, property);
    QFETCH(QVariant, expected);

    Skin skin;
    skin.ShowPage(page);
    skin.Apply(settings);
    QQuickItem *target = skin.Item(item);
    QVERIFY2(target, qPrintable(item));
    QCOMPARE(target->property(property.toLatin1()), expected);
}

void tst_SkinHost::controlsSendTheirCommands_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("key"); // 0: a left click

    struct Row
    {
        const char *page;
        QStringList settings;
        const char *item;
        const char *command;
    };
    const QString running = QStringLiteral("_root.startDownload=0");
    const QString monitoring = QStringLiteral("_root.autoToDownloadList_CB=1");
    const QString anySite = QStringLiteral("_root.anySite_CB=1");
    const QString best = QStringLiteral("_root.quality=best");
    const Row rows[] = {
        {"download", {}, "minimiseButton", "IDC_FS_Minimize"},
        {"download", {}, "trayButton", "IDC_FS_Tray"},
        {"download", {}, "closeButton", "IDC_FS_Close"},
        {"settings", {}, "downloadTab", "IDC_FS_Download"},
        {"download", {}, "settingsTab", "IDC_FS_Slider"},
        {"download", {}, "aboutTab", "IDC_FS_About"},
        {"download", {}, "addButton", "IDC_FS_addDownloadURL"},
        {"download", {}, "startButton", "IDC_FS_startDownload"},
        {"download", {running}, "startButton", "IDC_FS_stopDownload"},
        {"download", {}, "selectAllButton", "IDC_FS_selectAllD"},
        {"download", {}, "removeSelectedButton", "IDC_FS_removeSelectedD"},
        {"download", {}, "moveUpButton", "IDC_FS_moveUp"},
        {"download", {}, "moveDownButton", "IDC_FS_moveDown"},
        {"download", {}, "clearCompleteButton", "ID_FS_clearComplete"},
        {"settings", {}, "browseButton", "ID_FS_downloadBrowse"},
        {"settings", {}, "monitorCheckBox", "ID_FS_autoDownloadCheck"},
        {"settings", {monitoring}, "monitorCheckBox", "ID_FS_autoDownloadUncheck"},
        {"settings", {}, "anySiteCheckBox", "ID_FS_anySiteCheck"},
        {"settings", {anySite}, "anySiteCheckBox", "ID_FS_anySiteUncheck"},
        {"settings", {}, "playlistAllCheckBox", "ID_FS_playlistAllCheck"},
        {"settings", {QStringLiteral("_root.playlistAll_CB=1")}, "playlistAllCheckBox",
         "ID_FS_playlistAllUncheck"},
        {"settings", {}, "cookiesBrowserButton", "ID_FS_cookiesBrowserNext"},
        {"settings", {}, "qualityBestButton", "ID_FS_qualityBest"},
        {"settings", {}, "quality1080pButton", "ID_FS_quality1080"},
        {"settings", {best}, "quality720pButton", "ID_FS_quality720"},
        {"settings", {best}, "quality480pButton", "ID_FS_quality480"},
        {"settings", {best}, "qualitySmallestButton", "ID_FS_qualitySmallest"},
        {"settings", {}, "connectionsLessButton", "ID_FS_connectionsLess"},
        {"settings", {}, "connectionsMoreButton", "ID_FS_connectionsMore"},
        {"settings", {}, "speedLimitCheckBox", "ID_FS_speedLimitCheck"},
        {"settings", {QStringLiteral("_root.speedLimit_CB=1")}, "speedLimitCheckBox",
         "ID_FS_speedLimitUncheck"},
        {"about", {}, "helpButton", "IDC_FS_help"},
        {"about", {}, "webSiteButton", "ID_FS_webSite"},
    };
    const QPair<const char *, int> ways[] = {
        {"click", 0}, {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space}};
    for (const Row &row : rows) {
        for (const auto &[way, key] : ways) {
            QTest::addRow("%s %s by %s", row.item, row.command, way)
                << QString::fromLatin1(row.page) << row.settings << QString::fromLatin1(row.item)
                << QString::fromLatin1(row.command) << key;
        }
    }
}

void tst_SkinHost::controlsSendTheirCommands()
{
    QFETCH(QString, page);
    QFETCH(QStringList, settings);
    QFETCH(QString, item);
    QFETCH(QString, command);
    QFETCH(int, key);

    Skin skin;
    skin.ShowPage(page);
    skin.Apply(settings);
    QQuickItem *control = skin.Item(item);
    QVERIFY2(control && control->isVisible(), qPrintable(item));

    // A control below the page's fold scrolls into sight as it takes the
    // focus, as it does when the user tabs to it; then it is drawn whole
    // inside the window, where the user can reach it.
    control->forceActiveFocus();
    const QRectF area = control->mapRectToScene(QRectF(0, 0, control->width(), control->height()));
    QVERIFY2(QRectF(0, 0, 640, 600).contains(area), qPrintable(item));
    // The right button is nobody's business on the skin.
    skin.Click(control, Qt::RightButton);
    QCOMPARE(skin.commands, Commands());

    if (key == 0) {
        skin.Click(control);
    } else {
        control->forceActiveFocus();
        QVERIFY(control->hasActiveFocus());
        QTest::keyClick(skin.host, Qt::Key(key));
    }
    QCOMPARE(skin.commands, Commands({{command, QString()}}));
}

void tst_SkinHost::pointerRestingShowsToolTips_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("variable"); // set besides the directory; empty: none
    const QString sLong = QStringLiteral("/home/someone/Videos/kept/from/the/web/for/later/"
                                         "viewing/on/the/train/home");
    QTest::newRow("minimise") << "download" << "" << "minimiseButton" << "Minimise" << QString();
    QTest::newRow("tray") << "download" << "" << "trayButton"
                          << "Hide in the notification area" << QString();
    // Without a notification area the button minimises, and says so.
    QTest::newRow("tray, no notification area")
        << "download" << "" << "trayButton" << "Minimise (the desktop has no notification area)"
        << "_root.trayAvailable=0";
    QTest::newRow("close") << "download" << "" << "closeButton" << "Close" << QString();
    QTest::newRow("select all") << "download" << "" << "selectAllButton" << "Select All" << QString();
    QTest::newRow("remove selected") << "download" << "" << "removeSelectedButton"
                                     << "Remove Selected Items" << QString();
    QTest::newRow("up") << "download" << "" << "moveUpButton" << "Move Item Up" << QString();
    QTest::newRow("down") << "download" << "" << "moveDownButton" << "Move item down" << QString();
    QTest::newRow("clear") << "download" << "" << "clearCompleteButton"
                           << "Clear Completed items" << QString();
    QTest::newRow("labelled button") << "download" << "" << "addButton" << "" << QString();
    QTest::newRow("short folder") << "settings" << "/srv/v" << "downloadDirText" << "" << QString();
    QTest::newRow("cut folder") << "settings" << sLong << "downloadDirText" << sLong << QString();
    QTest::newRow("cut saving line") << "download" << sLong << "saveToText"
                                     << QStringLiteral("Saving to ") + sLong << QString();
}

void tst_SkinHost::pointerRestingShowsToolTips()
{
    QFETCH(QString, page);
    QFETCH(QString, directory);
    QFETCH(QString, item);
    QFETCH(QString, tip);
    QFETCH(QString, variable);
    Skin skin;
    skin.ShowPage(page);
    skin.Apply({QStringLiteral("_root.download_dir=") + directory});
    if (!variable.isEmpty())
        skin.Apply({variable});
    QQuickItem *target = nullptr;
    QTRY_VERIFY2((target = skin.Item(item)) && target->isVisible(), qPrintable(item));
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());

    const QPoint at = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
    QHelpEvent help(QEvent::ToolTip, at, skin.host->mapToGlobal(at));
    QCoreApplication::sendEvent(skin.host, &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
}

void tst_SkinHost::pressOnTheHeaderDragsTheWindow()
{
    Skin skin;
    // Between the wordmark and the window buttons: bare header.
    QTest::mousePress(skin.host, Qt::LeftButton, Qt::NoModifier, QPoint(320, 20));
    QCOMPARE(skin.commands, Commands({{QStringLiteral("IDC_FS_Drag"), QString()}}));
    QTest::mouseRelease(skin.host, Qt::LeftButton, Qt::NoModifier, QPoint(320, 20));
}

void tst_SkinHost::listAreaFramesTheGridsPlace()
{
    // The window lays the grid at 35, 282, 573 x 180; the frame lies just
    // outside it, so that the grid hides none of it.
    Skin skin;
    QQuickItem *area = skin.Item(QStringLiteral("listArea"));
    const QRectF frame = area->mapRectToScene(QRectF(0, 0, area->width(), area->height()));
    QCOMPARE(frame, QRectF(34, 281, 575, 182));
    QVERIFY(area->isVisible());
    skin.ShowPage(QStringLiteral("settings"));
    QVERIFY(!area->isVisible());
}

void tst_SkinHost::addressFieldWritesTheAddressVariable()
{
    Skin skin;
    const QString name = QStringLiteral("_root.video_url");
    QString readWhenAsked;
    QObject::connect(skin.host, &SkinHost::FSCommand, [&](const QString &command) {
        if (command == QStringLiteral("IDC_FS_addDownloadURL"))
            readWhenAsked = skin.host->GetVariable(name);
    });

    skin.Item(QStringLiteral("urlField"))->forceActiveFocus();
    QTest::keyClicks(skin.host, QStringLiteral(" http://www.ifilm.com/v"));
    QCOMPARE(skin.host->GetVariable(name), QStringLiteral(" http://www.ifilm.com/v"));

    // What the program puts there is edited on from where it stands.
    skin.host->SetVariable(name, QStringLiteral("http://blip.tv/a"));
    QTest::keyClicks(skin.host, QStringLiteral("b"));
    QCOMPARE(skin.host->GetVariable(name), QStringLiteral("http://blip.tv/ab"));

    QTest::keyClick(skin.host, Qt::Key_Return);
    QCOMPARE(readWhenAsked, QStringLiteral("http://blip.tv/ab"));
    QCOMPARE(skin.commands.size(), 1);
}

// A field of the Settings page writes its variable as the user types and
// asks the program to take it once, when editing ends.
void tst_SkinHost::settingsFieldsSendWhenEditingEnds_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("command");
    QTest::newRow("yt-dlp program") << "ytDlpProgramField" << "_root.ytDlpProgram"
                                    << "ID_FS_ytDlpProgram";
    QTest::newRow("speed limit") << "speedLimitField" << "_root.speedLimit" << "ID_FS_speedLimit";
}

void tst_SkinHost::settingsFieldsSendWhenEditingEnds()
{
    QFETCH(QString, field);
    QFETCH(QString, variable);
    QFETCH(QString, command);
    Skin skin;
    skin.ShowPage(QStringLiteral("settings"));
    skin.host->SetVariable(variable, QStringLiteral("51"));
    QQuickItem *input = skin.Item(field);
    QVERIFY(input);
    input->forceActiveFocus();
    QTest::keyClick(skin.host, Qt::Key_End);
    QTest::keyClicks(skin.host, QStringLiteral("2"));
    QCOMPARE(skin.host->GetVariable(variable), QStringLiteral("512"));
    QCOMPARE(skin.commands, Commands());
    QTest::keyClick(skin.host, Qt::Key_Return);
    QCOMPARE(skin.commands, Commands({{command, QString()}}));
}

void tst_SkinHost::checkBoxAsksForTheOppositeOfItsVariable_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("command");
    QTest::newRow("on") << QStringLiteral("1") << QStringLiteral("ID_FS_autoDownloadUncheck");
    QTest::newRow("off") << QStringLiteral("0") << QStringLiteral("ID_FS_autoDownloadCheck");
    QTest::newRow("never set") << QString() << QStringLiteral("ID_FS_autoDownloadCheck");
}

void tst_SkinHost::checkBoxAsksForTheOppositeOfItsVariable()
{
    QFETCH(QString, value);
    QFETCH(QString, command);

    Skin skin;
    skin.ShowPage(QStringLiteral("settings"));
    const QString name = QStringLiteral("_root.autoToDownloadList_CB");
    skin.host->SetVariable(name, value);
    QQuickItem *box = skin.Item(QStringLiteral("monitorCheckBox"));
    const bool shown = box->property("checked").toBool();

    skin.Click(box);
    QCOMPARE(skin.commands, Commands({{command, QString()}}));
    // The program answers by setting the variable; until then nothing moves.
    QCOMPARE(skin.host->GetVariable(name), value);
    QCOMPARE(box->property("checked").toBool(), shown);
}

void tst_SkinHost::tabReachesEveryControl_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("controls");
    QTest::newRow("download")
        << QStringLiteral("download")
        << kHeaderControls + QStringList{
               QStringLiteral("urlField"), QStringLiteral("addButton"),
               QStringLiteral("startButton"), QStringLiteral("listArea"),
               QStringLiteral("selectAllButton"),
               QStringLiteral("removeSelectedButton"), QStringLiteral("moveUpButton"),
               QStringLiteral("moveDownButton"), QStringLiteral("clearCompleteButton")};
    QTest::newRow("settings") << QStringLiteral("settings")
                              << kHeaderControls + QStringList{QStringLiteral("browseButton"),
                                                               QStringLiteral("monitorCheckBox"),
                                                               QStringLiteral("notifyCheckBox"),
                                                               QStringLiteral("anySiteCheckBox"),
                                                               QStringLiteral("qualityBestButton"),
                                                               QStringLiteral("quality1080pButton"),
                                                               QStringLiteral("quality720pButton"),
                                                               QStringLiteral("quality480pButton"),
                                                               QStringLiteral("qualitySmallestButton"),
                                                               QStringLiteral("ytDlpProgramField"),
                                                               QStringLiteral("playlistAllCheckBox"),
                                                               QStringLiteral("cookiesBrowserButton"),
                                                               QStringLiteral("speedLimitCheckBox"),
                                                               QStringLiteral("speedLimitField"),
                                                               QStringLiteral("connectionsLessButton"),
                                                               QStringLiteral("connectionsMoreButton")};
    QTest::newRow("about") << QStringLiteral("about")
                           << kHeaderControls + QStringList{QStringLiteral("helpButton"),
                                                            QStringLiteral("webSiteButton")};
}

void tst_SkinHost::tabReachesEveryControl()
{
    QFETCH(QString, page);
    QFETCH(QStringList, controls);

    Skin skin;
    skin.ShowPage(page);
    QVERIFY(QTest::qWaitForWindowActive(&skin.window));
    skin.host->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), skin.host);
    skin.Item(controls.first())->forceActiveFocus();

    QStringList visited;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (QApplication::focusWidget() == skin.overlay) {
            // The grid's turn: the list area handed the focus on.
            visited.append(QStringLiteral("listArea"));
            QTest::keyClick(skin.overlay, Qt::Key_Tab);
            continue;
        }
        const QString name = skin.Focused();
        visited.append(name);
        QQuickItem *item = skin.Item(name);
        QVERIFY(item);

        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
        QVERIFY2(accessible, qPrintable(name));
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(name));
        QVERIFY2(accessible->role() != QAccessible::NoRole, qPrintable(name));
        // A visible focus mark: the ring, or for the text field its frame.
        if (auto *ring = item->findChild<QQuickItem *>(QStringLiteral("focusRing")))
            QVERIFY2(ring->isVisible(), qPrintable(name));
        else
            QCOMPARE(item->parentItem()->property("border").value<QObject *>()->property("width"),
                     QVariant(2.0));

        // Keys go where the application sends them, the focused widget.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, controls);
    // The chain closes: Tab after the last control comes back to the first.
    QCOMPARE(skin.Focused(), controls.first());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(skin.Focused(), controls.last());

    const qsizetype list = controls.indexOf(QStringLiteral("listArea"));
    if (list > 0) {
        // Backtab from the grid returns to the control before the list.
        skin.Item(QStringLiteral("listArea"))->forceActiveFocus();
        QCOMPARE(QApplication::focusWidget(), skin.overlay);
        QTest::keyClick(skin.overlay, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), skin.host);
        QCOMPARE(skin.Focused(), controls.at(list - 1));
    }
}

void tst_SkinHost::focusMovesToTheTabWhenItsPageHides()
{
    Skin skin;
    QVERIFY(QTest::qWaitForWindowActive(&skin.window));
    skin.host->setFocus(Qt::OtherFocusReason);
    skin.Item(QStringLiteral("urlField"))->forceActiveFocus();
    skin.Click(skin.Item(QStringLiteral("settingsTab")));
    QCOMPARE(skin.Focused(), QStringLiteral("settingsTab"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(skin.Focused(), QStringLiteral("aboutTab"));
}

void tst_SkinHost::contextMenuStopsAtTheSkin_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("right button") << int(QContextMenuEvent::Mouse);
    QTest::newRow("menu key") << int(QContextMenuEvent::Keyboard);
}

void tst_SkinHost::contextMenuStopsAtTheSkin()
{
    QFETCH(int, reason);

    struct Counter : QObject
    {
        int *count;
        explicit Counter(int *c) : count(c) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::ContextMenu)
                ++*count;
            return false;
        }
    };
    Skin skin;
    Counter counter(&skin.contextMenusSeenByWindow);
    skin.window.installEventFilter(&counter);

    const QPoint pos(100, 300);
    QContextMenuEvent event(QContextMenuEvent::Reason(reason), pos, skin.host->mapToGlobal(pos));
    QApplication::sendEvent(skin.host, &event);
    QVERIFY(event.isAccepted());
    QCOMPARE(skin.contextMenusSeenByWindow, 0);
    QCOMPARE(skin.commands, Commands());
}

QTEST_MAIN(tst_SkinHost)
#include "tst_skinhost.moc"
