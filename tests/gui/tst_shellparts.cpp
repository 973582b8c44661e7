#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QTimer>
#include <QMenu>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>
#include <QWheelEvent>

#include "core/abouttext.h"
#include "gui/downloadgrid.h"
#include "gui/frmmenu.h"
#include "gui/modhook.h"
#include "gui/systray.h"
#include "gui/widgetmessagebox.h"

// The small parts of the window's shell: the tray control's events, the tray
// menu, the wheel and context-menu filters, and the About text.
class tst_ShellParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trayReportsButtonsAsTheControlDid_data();
    void trayReportsButtonsAsTheControlDid();
    void trayMenuHasItsEntries();
    void wheelStepsAreOneRowEach_data();
    void wheelStepsAreOneRowEach();
    void wheelScrollsTheGridByOneRow();
    void skinNeverOpensAContextMenu();
    void aboutTextHasTwoLinesWithTheVersion();
    void messageBoxesShowTheProgramsIcons_data();
    void messageBoxesShowTheProgramsIcons();
};

void tst_ShellParts::trayReportsButtonsAsTheControlDid_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("expected"); // "down N", "dbl N" or ""
    QTest::newRow("right button") << int(QSystemTrayIcon::Context) << "down 2";
    QTest::newRow("left click") << int(QSystemTrayIcon::Trigger) << "down 1";
    QTest::newRow("middle button") << int(QSystemTrayIcon::MiddleClick) << "down 4";
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << "dbl 1";
    QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << "";
}

void tst_ShellParts::trayReportsButtonsAsTheControlDid()
{
    QFETCH(int, reason);
    QFETCH(QString, expected);
    SysTray tray;
    QString sSeen;
    connect(&tray, &SysTray::MouseDown, this,
            [&](int iButton) { sSeen = QStringLiteral("down %1").arg(iButton); });
    connect(&tray, &SysTray::DblClick, this,
            [&](int iButton) { sSeen = QStringLiteral("dbl %1").arg(iButton); });
    tray.OnActivated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(sSeen, expected);
}

void tst_ShellParts::trayMenuHasItsEntries()
{
    frmMenu menu;
    QStringList shown;
    for (QAction *pAction : menu.TRAYMENU->actions()) {
        if (pAction->isVisible())
            shown << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    }
    QCOMPARE(shown, (QStringList{"Clipvane", "-", "Start Downloading", "-",
                                 "Monitor Video URL's in Clipboard", "-", "Exit Clipvane"}));
    QVERIFY(menu.mnuMonitor->isCheckable());
    QCOMPARE(menu.windowTitle(), QStringLiteral("frmMenu"));
}

void tst_ShellParts::wheelStepsAreOneRowEach_data()
{
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<QList<int>>("rows"); // -1 toward the top, +1 toward the bottom
    QTest::newRow("one notch away") << QList<int>{120} << QList<int>{-1};
    QTest::newRow("one notch toward") << QList<int>{-120} << QList<int>{1};
    QTest::newRow("a fast turn is still one row") << QList<int>{240, -360} << QList<int>{-1, 1};
    QTest::newRow("small turns add up") << QList<int>{40, 40, 40, 40} << QList<int>{0, 0, -1, 0};
    QTest::newRow("a small turn never goes the wrong way") << QList<int>{-30} << QList<int>{0};
    QTest::newRow("turning back starts afresh") << QList<int>{80, -80, -40} << QList<int>{0, 0, 1};
}

void tst_ShellParts::wheelStepsAreOneRowEach()
{
    QFETCH(QList<int>, deltas);
    QFETCH(QList<int>, rows);
    int iCarry = 0;
    QList<int> seen;
    for (int iDelta : deltas)
        seen << WindowHooks::RowsForWheel(iDelta, iCarry);
    QCOMPARE(seen, rows);
}

void tst_ShellParts::wheelScrollsTheGridByOneRow()
{
    QWidget window;
    window.resize(400, 300);
    QWidget skin(&window);
    DownloadGrid grid(&window);
    grid.setGeometry(0, 0, 400, 200);
    // Plenty of rows to scroll through.
    QStandardItemModel model(100, 3);
    grid.setModel(&model);
    WindowHooks hooks(skin, grid);
    hooks.StartHook();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto turn = [&](int iDelta) {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, iDelta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &wheel);
        return grid.verticalScrollBar()->value();
    };

    // One row a notch, whether the grid or the skin has the focus.
    skin.setFocus();
    QCOMPARE(turn(-120), 1);
    grid.verticalScrollBar()->setValue(10);
    grid.setFocus();
    QCOMPARE(turn(-240), 11);
    QCOMPARE(turn(120), 10);
    hooks.StopHook();
    QCOMPARE(turn(-120), 10 + QApplication::wheelScrollLines());
}

void tst_ShellParts::skinNeverOpensAContextMenu()
{
    QWidget window;
    QWidget skin(&window);
    DownloadGrid grid(&window);
    int iMenus = 0;
    skin.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&skin, &QWidget::customContextMenuRequested, this, [&iMenus] { ++iMenus; });
    WindowHooks hooks(skin, grid);
    hooks.StartHook();

    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(&skin, &byMouse);
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(&skin, &byKey);
    QCOMPARE(iMenus, 0);

    hooks.StopHook();
    QApplication::sendEvent(&skin, &byMouse);
    QCOMPARE(iMenus, 1);
}

void tst_ShellParts::aboutTextHasTwoLinesWithTheVersion()
{
    const QStringList lines = AboutText(1, 0, 7).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("Version 1.0.0.7"));
    QVERIFY(lines.at(1).startsWith(QStringLiteral("Clipvane is an easy to use program")));
    QVERIFY(AboutText().startsWith(QStringLiteral("Version ")));
}

void tst_ShellParts::messageBoxesShowTheProgramsIcons_data()
{
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("file"); // empty: no icon at all
    QTest::newRow("critical") << int(IMessageBox::Icon::Critical) << "critical";
    QTest::newRow("question") << int(IMessageBox::Icon::Question) << "question";
    QTest::newRow("exclamation") << int(IMessageBox::Icon::Exclamation) << "warning";
    QTest::newRow("information") << int(IMessageBox::Icon::Information) << "information";
    QTest::newRow("none") << int(IMessageBox::Icon::None) << "";
}

// Drawn by the program, not taken from the desktop's theme or Qt's
// built-in set, so that a desktop without an icon theme shows them too.
void tst_ShellParts::messageBoxesShowTheProgramsIcons()
{
    QFETCH(int, icon);
    QFETCH(QString, file);
    // A style that puts icons on dialog buttons, as desktops without their
    // own theme get from Qt.
    class IconButtonsStyle : public QProxyStyle
    {
    public:
        int styleHint(StyleHint hint, const QStyleOption *pOption, const QWidget *pWidget,
                      QStyleHintReturn *pReturn) const override
        {
            return hint == SH_DialogButtonBox_ButtonsHaveIcons
                       ? 1
                       : QProxyStyle::styleHint(hint, pOption, pWidget, pReturn);
        }
    };
    const QString sStyle = QApplication::style()->name();
    QApplication::setStyle(new IconButtonsStyle);
    const auto restore = qScopeGuard([&sStyle] { QApplication::setStyle(sStyle); });
    QWidget owner;
    WidgetMessageBox boxes(&owner);
    QImage shown;
    int iButtonIcons = 0;
    QTimer::singleShot(0, this, [&shown, &iButtonIcons] {
        auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!pBox)
            return;
        shown = pBox->iconPixmap().toImage();
        for (QAbstractButton *pButton : pBox->buttons())
            iButtonIcons += pButton->icon().isNull() ? 0 : 1;
        pBox->accept();
    });
    boxes.MsgBox(IMessageBox::Icon(icon), QString(), QStringLiteral("Text"),
                 IMessageBox::Buttons::OK);
    // The test's desktop has no icon theme: the buttons say their words alone.
    QCOMPARE(iButtonIcons, 0);
    if (file.isEmpty()) {
        QVERIFY(shown.isNull());
        return;
    }
    QIcon bundled;
    for (const int iSize : {32, 64})
        bundled.addFile(QStringLiteral(":/messagebox/%1-%2.png").arg(file).arg(iSize));
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
             bundled.pixmap(shown.size()).toImage().convertToFormat(QImage::Format_ARGB32));
}

QTEST_MAIN(tst_ShellParts)
#include "tst_shellparts.moc"
