#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

#include "monitor/singleinstance.h"
#include "settings/cregister.h"
#include "settings/settingsstore.h"

// The window program started from a terminal (offscreen, in the test's own
// home): what a later start hands over while the first is still starting.
class tst_WindowStart : public QObject
{
    Q_OBJECT

    static QString ListFile()
    {
        return QDir::home().filePath(QStringLiteral(".local/share/Clipvane/downloadlist.json"));
    }
    static QString Endpoint()
    {
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/clipvane/instance");
    }
    static QByteArray Contents(const QString &sPath)
    {
        QFile file(sPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    // No clipboard watcher: nothing here is about the clipboard.
    void initTestCase()
    {
        QVERIFY(CRegister().REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                           SettingsStore::kURLMonValue, QStringLiteral("False")));
    }
    void handOversWhileTheListLoadsAreKept_data();
    void handOversWhileTheListLoadsAreKept();
    void startReadsFontsOnceAndNoBus();
};

void tst_WindowStart::handOversWhileTheListLoadsAreKept_data()
{
    QTest::addColumn<int>("iKept");
    // Long enough to read that the first hand-overs come while it loads.
    QTest::newRow("20,000 kept items") << 20000;
    QTest::newRow("no kept list") << 0;
}

void tst_WindowStart::handOversWhileTheListLoadsAreKept()
{
    QFETCH(int, iKept);
    QFile::remove(ListFile());
    if (iKept > 0) {
        QByteArray list = R"({"format":"Clipvane download list","version":1,"items":[)";
        for (int i = 0; i < iKept; ++i) {
            list += (i ? "," : "")
                + QStringLiteral(R"({"address":"http://www.youtube.com/watch?v=kept-%1",)"
                                 R"("fileName":"kept-%1.flv","status":"Complete","fileSize":"1 MB"})")
                      .arg(i)
                      .toUtf8();
        }
        list += "]}\n";
        QVERIFY(QDir().mkpath(QFileInfo(ListFile()).path()));
        QFile file(ListFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list) == list.size());
    }

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(CLIPVANE_PATH), {QStringLiteral("--skip-connection-check")});
    // From the moment the program listens, later starts hand over to it:
    // the first ones at once, while it still reads its list.
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(Endpoint()) && clock.elapsed() < 30000)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // Addresses of no supported site: listed, never fetched.
    QStringList handed;
    for (int i = 1; i <= 2; ++i) {
        handed << QStringLiteral("http://127.0.0.1:9/handed-%1").arg(i);
        QVERIFY(SingleInstance(Endpoint()).HandOver({handed.constLast()}));
    }
    // And as a second start from a terminal does.
    handed << QStringLiteral("http://127.0.0.1:9/handed-3");
    QProcess later;
    later.setProcessChannelMode(QProcess::ForwardedChannels);
    later.start(QStringLiteral(CLIPVANE_PATH), {handed.constLast()});
    QVERIFY(later.waitForFinished(30000));
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);

    // Every one of them reaches the kept list, beside the items it had.
    QTRY_VERIFY_WITH_TIMEOUT(Contents(ListFile()).contains(handed.constLast().toUtf8()), 60000);
    const QByteArray kept = Contents(ListFile());
    for (const QString &sAddress : std::as_const(handed))
        QVERIFY2(kept.contains(sAddress.toUtf8()), qPrintable(sAddress));
    QCOMPARE(kept.count("\"address\""), iKept + handed.size());

    first.terminate();
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
}

// What the start leaves for later is left: the font configuration is read
// once, on the side, and only a run asks logind (on the system bus) to hold
// off sleep, so the start does not connect to it.
void tst_WindowStart::startReadsFontsOnceAndNoBus()
{
    QTemporaryDir dir;
    QLocalServer systemBus;
    QVERIFY(systemBus.listen(dir.filePath(QStringLiteral("system_bus_socket"))));
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + systemBus.fullServerName());
    // Fontconfig tells each configuration file it loads.
    env.insert(QStringLiteral("FC_DEBUG"), QStringLiteral("1024"));
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(CLIPVANE_PATH), {});
    // The window listens once its scene is built, texts and all; then past
    // the first frame and what waits for it.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(Endpoint()), 30000);
    QVERIFY(!systemBus.waitForNewConnection(1500));
    window.terminate();
    QVERIFY(window.waitForFinished(30000));
    const QRegularExpression topFile(QStringLiteral("Loading config file from .*/fonts\\.conf$"));
    const QStringList loads =
        QString::fromLocal8Bit(window.readAllStandardOutput()).split(QLatin1Char('\n')).filter(topFile);
    QCOMPARE(loads.size(), 1);
}

QTEST_GUILESS_MAIN(tst_WindowStart)
#include "tst_windowstart.moc"
