#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "httptestserver.h"
#include "xvfbserver.h"

// The program on a real X desktop (an Xvfb of the test's own), driven with
// xdotool as a user drives it: an address typed into the skin's field, the
// add and start buttons, a later start handing an address over, and the
// close button.
class tst_DesktopWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::unique_ptr<XvfbServer> m_xvfb;
    HttpTestServer m_server;

    bool XDo(const QStringList &arguments, QString *pOutput = nullptr)
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(m_environment);
        xdotool.start(QStringLiteral("xdotool"), arguments);
        if (!xdotool.waitForFinished(30000) || xdotool.exitCode() != 0)
            return false;
        if (pOutput)
            *pOutput = QString::fromLocal8Bit(xdotool.readAllStandardOutput()).trimmed();
        return true;
    }

    // A click at a point of the skin, in window coordinates.
    bool Click(const QString &sWindow, int x, int y)
    {
        return XDo({QStringLiteral("mousemove"), QStringLiteral("--window"), sWindow,
                    QString::number(x), QString::number(y), QStringLiteral("click"),
                    QStringLiteral("1")});
    }

    // Serves a page of a supported site whose video is sName.
    QByteArray ServeVideo(const QString &sName)
    {
        QByteArray video(60000, Qt::Uninitialized);
        for (int i = 0; i < video.size(); ++i)
            video[i] = char('a' + (i * 7 + sName.size()) % 26);
        m_server.SetRoute(QStringLiteral("/files/") + sName, HttpTestServer::Ok(video, "video/x-flv"));
        m_server.SetRoute(QStringLiteral("/angryalien.com/") + sName + QStringLiteral(".html"),
                          HttpTestServer::Ok("<html><embed src=\""
                                                 + m_server.Url(QStringLiteral("/files/") + sName).toLatin1()
                                                 + "\" width=400></html>",
                                             "text/html"));
        return video;
    }

    bool Arrived(const QString &sName, const QByteArray &video) const
    {
        QFile file(m_home.filePath(QStringLiteral("home/Downloaded Videos/") + sName));
        return file.open(QIODevice::ReadOnly) && file.readAll() == video;
    }

private Q_SLOTS:
    void initTestCase();
    void typedAddressIsDownloadedAndCloseEnds();
};

void tst_DesktopWindow::initTestCase()
{
    if (!XvfbServer::Available())
        QSKIP("Xvfb is not installed (the package xvfb); no X desktop to drive");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is not installed (the package xdotool); nothing to drive the window with");
    m_xvfb = std::make_unique<XvfbServer>();
    QVERIFY2(m_xvfb->Start(), qPrintable(m_xvfb->Error()));
    QVERIFY(m_server.Start());

    QVERIFY(m_home.isValid());
    m_environment = m_xvfb->FreshUserEnvironment(m_home.path());
    QVERIFY(!m_environment.isEmpty());
}

void tst_DesktopWindow::typedAddressIsDownloadedAndCloseEnds()
{
    const QByteArray typed = ServeVideo(QStringLiteral("typed.flv"));
    const QByteArray handed = ServeVideo(QStringLiteral("handed.flv"));

    // A first start with a fresh home. Loopback is the only network here,
    // hence the option.
    QProcess program;
    program.setProcessEnvironment(m_environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(CLIPVANE_PATH), {QStringLiteral("--skip-connection-check")});
    QVERIFY(program.waitForStarted(30000));
    QString sWindow;
    QTRY_VERIFY_WITH_TIMEOUT(XDo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                  QStringLiteral("--name"), QStringLiteral("^Clipvane$")},
                                 &sWindow),
                             30000);
    sWindow = sWindow.section(QLatin1Char('\n'), 0, 0);

    // The skin's Download page: the address field, "Add to list", "Start".
    QVERIFY(Click(sWindow, 150, 147));
    QVERIFY(XDo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"),
                 m_server.Url(QStringLiteral("/angryalien.com/typed.flv.html"))}));
    QVERIFY(Click(sWindow, 542, 147));
    QVERIFY(Click(sWindow, 526, 240));
    QTRY_VERIFY_WITH_TIMEOUT(Arrived(QStringLiteral("typed.flv"), typed), 60000);

    // A later start hands its address to the running program and ends.
    QProcess second;
    second.setProcessEnvironment(m_environment);
    second.start(QStringLiteral(CLIPVANE_PATH),
                 {m_server.Url(QStringLiteral("/angryalien.com/handed.flv.html"))});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(Arrived(QStringLiteral("handed.flv"), handed), 60000);

    // The skin's close button ends the program (nothing runs: no question).
    QVERIFY(Click(sWindow, 612, 21));
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFile::exists(m_home.filePath(QStringLiteral("home/Downloaded Videos/typed.flv.part"))));
}

QTEST_GUILESS_MAIN(tst_DesktopWindow)
#include "tst_desktopwindow.moc"
