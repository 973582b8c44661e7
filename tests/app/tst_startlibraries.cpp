#include <QProcess>
#include <QTest>

// What the programs load before they run: FFmpeg's libraries and the many
// they bring are opened only when a stream is joined, so that they cost no
// start of a window or a command. The dynamic loader lists what a program
// loads and ends it before main.
class tst_StartLibraries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ffmpegWaitsForTheFirstStream_data();
    void ffmpegWaitsForTheFirstStream();
};

void tst_StartLibraries::ffmpegWaitsForTheFirstStream_data()
{
    QTest::addColumn<QString>("sProgram");
    QTest::addColumn<QString>("sLibrary");

    const struct
    {
        const char *pProgram;
        const char *pPath;
    } programs[] = {{"clipvane", CLIPVANE_PATH}, {"clipvane-get", CLIPVANE_GET_PATH}};
    for (const auto &program : programs) {
        for (const char *pLibrary : {"libavformat", "libavcodec", "libavutil"}) {
            QTest::addRow("%s, %s", program.pProgram, pLibrary)
                << QString::fromUtf8(program.pPath) << QString::fromLatin1(pLibrary);
        }
    }
}

void tst_StartLibraries::ffmpegWaitsForTheFirstStream()
{
    QFETCH(QString, sProgram);
    QFETCH(QString, sLibrary);
    QProcess listing;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_TRACE_LOADED_OBJECTS"), QStringLiteral("1"));
    listing.setProcessEnvironment(env);
    listing.start(sProgram, {});
    QVERIFY(listing.waitForFinished(30000));
    const QByteArray loaded = listing.readAllStandardOutput();
    // The listing itself: Qt's core library is always among it.
    QVERIFY2(loaded.contains("libQt6Core.so"), loaded.constData());
    QVERIFY2(!loaded.contains(sLibrary.toLatin1() + ".so"), loaded.constData());
}

QTEST_GUILESS_MAIN(tst_StartLibraries)
#include "tst_startlibraries.moc"
