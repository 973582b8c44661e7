#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <cmath>
#include <unistd.h>

#include "decodedmedia.h"
#include "media/remuxer.h"
#include "testmedia.h"

class tst_Remuxer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinsStreamsIntoOneFile_data();
    void joinsStreamsIntoOneFile();
    void leavesNothingOnFailure_data();
    void leavesNothingOnFailure();
    void replacesLinkNotItsTarget();
    void routesFfmpegLog_data();
    void routesFfmpegLog();

private:
    QStringList MakeInputs(const QStringList &lRecipes);

    QTemporaryDir m_dir;
};

QStringList tst_Remuxer::MakeInputs(const QStringList &lRecipes)
{
    QStringList lInputs;
    for (const QString &sRecipe : lRecipes) {
        for (const QString &sClip : sRecipe.split(QLatin1Char('+')))
            for (const QString &sEncoder : sClip.split(QLatin1Char(':')).mid(1))
                if (!sEncoder.isEmpty() && !TestMedia::HasEncoder(sEncoder))
                    return {};
        QString sError;
        lInputs << TestMedia::Make(m_dir.path(), QStringLiteral("in%1").arg(lInputs.size()),
                                   sRecipe, &sError);
        if (lInputs.last().isEmpty())
            qWarning() << sRecipe << sError;
    }
    return lInputs;
}

void tst_Remuxer::joinsStreamsIntoOneFile_data()
{
    QTest::addColumn<QStringList>("lRecipes");
    QTest::addColumn<QString>("sExtension");

    QTest::newRow("TS fragments, MPEG-2 video and AAC in ADTS")
        << QStringList{"ts:mpeg2video:aac"} << "mp4";
    QTest::newRow("TS fragments, H.264 with B-frames and AAC")
        << QStringList{"ts:libx264:aac"} << "mp4";
    QTest::newRow("TS fragments whose clock wraps past 33 bits")
        << QStringList{"ts-wrap:mpeg2video:aac"} << "mp4";
    QTest::newRow("TS clips whose clocks restart, forward and back")
        << QStringList{"ts:mpeg2video:aac+ts-wrap:mpeg2video:aac+ts:mpeg2video:aac"} << "mp4";
    QTest::newRow("fMP4 init section and segments") << QStringList{"fmp4:mpeg4:aac"} << "mp4";
    QTest::newRow("separate TS video and fMP4 audio, starting apart")
        << QStringList{"ts:libx264:", "fmp4::aac"} << "mp4";
    QTest::newRow("separate fMP4 video and TS MP2 audio")
        << QStringList{"fmp4:mpeg4:", "ts::mp2"} << "mp4";
    QTest::newRow("WebM VP8 and Opus: Matroska") << QStringList{"webm:libvpx:libopus"} << "mkv";
    QTest::newRow("WebM VP8 video and TS audio in ADTS: Matroska")
        << QStringList{"webm:libvpx:", "ts::aac"} << "mkv";
}

void tst_Remuxer::joinsStreamsIntoOneFile()
{
    QFETCH(QStringList, lRecipes);
    QFETCH(QString, sExtension);
    const QStringList lInputs = MakeInputs(lRecipes);
    if (lInputs.isEmpty())
        QSKIP("This FFmpeg lacks an encoder the media are made with");
    QVERIFY(!lInputs.contains(QString()));
    const DecodedMedia source = DecodedMedia::Of(lInputs);
    QVERIFY2(source.sError.isEmpty(), qPrintable(source.sError));

    Remuxer remuxer;
    QList<qint64> lProgress;
    qint64 lTotal = 0;
    connect(&remuxer, &Remuxer::Progress, this, [&](qint64 lDone, qint64 lOf) {
        lProgress << lDone;
        lTotal = lOf;
    });
    const QString sOutput = m_dir.filePath(QStringLiteral("out.part"));
    QVERIFY2(remuxer.Run(lInputs, sOutput), qPrintable(remuxer.ErrorString()));
    QCOMPARE(remuxer.Extension(), sExtension);

    const DecodedMedia result = DecodedMedia::Of({sOutput});
    QVERIFY2(result.sError.isEmpty(), qPrintable(result.sError));
    QCOMPARE(result.lPictureSums.size(), source.lPictureSums.size());
    QVERIFY(result.lPictureSums == source.lPictureSums);
    QVERIFY(source.lAudioSamples > 0);
    QVERIFY2(std::abs(result.lAudioSamples - source.lAudioSamples) <= source.iAudioFrameSize,
             qPrintable(QStringLiteral("%1 samples, source %2")
                            .arg(result.lAudioSamples).arg(source.lAudioSamples)));
    // Starts at 0, and picture and sound keep their distance within one
    // audio frame (Matroska's muxer moves Opus's priming by a few ms).
    QCOMPARE(std::fmin(result.dVideoStart, result.dAudioStart), 0.0);
    const double dOneFrame = double(source.iAudioFrameSize) / 48000;
    QVERIFY2(std::abs((result.dAudioStart - result.dVideoStart)
                      - (source.dAudioStart - source.dVideoStart)) <= dOneFrame,
             qPrintable(QStringLiteral("video %1 s, audio %2 s; source %3 s, %4 s")
                            .arg(result.dVideoStart).arg(result.dAudioStart)
                            .arg(source.dVideoStart).arg(source.dAudioStart)));

    QFile file(sOutput);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (sExtension == QLatin1String("mp4")) {
        // Playable while it is read: the index comes before the data.
        QVERIFY(bytes.indexOf("moov") >= 0);
        QVERIFY(bytes.indexOf("moov") < bytes.indexOf("mdat"));
    } else {
        QVERIFY(bytes.startsWith("\x1a\x45\xdf\xa3"));
    }

    QVERIFY(!lProgress.isEmpty());
    QVERIFY(std::is_sorted(lProgress.cbegin(), lProgress.cend()));
    qint64 lSizes = 0;
    for (const QString &sInput : lInputs)
        lSizes += QFileInfo(sInput).size();
    QCOMPARE(lTotal, lSizes);
    QCOMPARE(lProgress.last(), lSizes);
}

void tst_Remuxer::leavesNothingOnFailure_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("iCancelAtReport");

    QTest::newRow("missing input") << QByteArray() << -1;
    QTest::newRow("empty input") << QByteArray("") << -1;
    QTest::newRow("not media") << QByteArray("<html>Not found</html>\n").repeated(40) << -1;
    // A playlist among the fragments must not send FFmpeg to fetch anything.
    QTest::newRow("a playlist")
        << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nhttp://127.0.0.1:9/a.ts\n"
                      "#EXT-X-ENDLIST\n")
        << -1;
    QTest::newRow("cancelled before it starts") << QByteArray("ts:mpeg2video:aac") << 0;
    QTest::newRow("cancelled while it copies") << QByteArray("ts:mpeg2video:aac") << 2;
}

void tst_Remuxer::leavesNothingOnFailure()
{
    QFETCH(QByteArray, input);
    QFETCH(int, iCancelAtReport);
    QString sInput = m_dir.filePath(QStringLiteral("broken"));
    QFile::remove(sInput);
    if (iCancelAtReport >= 0) {
        sInput = MakeInputs({QString::fromLatin1(input)}).value(0);
        QVERIFY(!sInput.isEmpty());
    } else if (!input.isNull()) {
        QFile file(sInput);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(input);
    }

    Remuxer remuxer;
    int iReports = 0;
    connect(&remuxer, &Remuxer::Progress, this, [&] {
        if (++iReports == iCancelAtReport)
            remuxer.Cancel();
    });
    if (iCancelAtReport == 0)
        remuxer.Cancel();
    const QString sOutput = m_dir.filePath(QStringLiteral("failed.part"));
    QVERIFY(!remuxer.Run({sInput}, sOutput));
    QVERIFY(!remuxer.ErrorString().isEmpty());
    QCOMPARE(remuxer.IsCancelled(), iCancelAtReport >= 0);
    QVERIFY(remuxer.Extension().isEmpty());
    QVERIFY(!QFileInfo::exists(sOutput));
    if (iCancelAtReport < 0)
        QVERIFY2(remuxer.ErrorString().contains(sInput), qPrintable(remuxer.ErrorString()));
}

void tst_Remuxer::replacesLinkNotItsTarget()
{
    const QString sInput = MakeInputs({QStringLiteral("fmp4:mpeg4:aac")}).value(0);
    QVERIFY(!sInput.isEmpty());
    const QString sTarget = m_dir.filePath(QStringLiteral("elsewhere"));
    const QString sOutput = m_dir.filePath(QStringLiteral("linked.part"));
    QFile target(sTarget);
    QVERIFY(target.open(QIODevice::WriteOnly));
    target.write("keep me");
    target.close();
    QVERIFY(QFile::link(sTarget, sOutput));

    Remuxer remuxer;
    QVERIFY2(remuxer.Run({sInput}, sOutput), qPrintable(remuxer.ErrorString()));
    QVERIFY(!QFileInfo(sOutput).isSymLink());
    QVERIFY(QFileInfo(sOutput).size() > 1000);
    QVERIFY(target.open(QIODevice::ReadOnly));
    QCOMPARE(target.readAll(), QByteArray("keep me"));
}

namespace {

QStringList gMediaMessages;

void NoteMessage(QtMsgType, const QMessageLogContext &context, const QString &sMessage)
{
    if (qstrcmp(context.category, "clipvane.media") == 0)
        gMediaMessages << sMessage;
}

} // namespace

void tst_Remuxer::routesFfmpegLog_data()
{
    QTest::addColumn<QString>("sRules");
    QTest::addColumn<bool>("bLines");

    QTest::newRow("quiet by default") << QString() << false;
    QTest::newRow("debug lines when asked for") << "clipvane.media.debug=true" << true;
}

void tst_Remuxer::routesFfmpegLog()
{
    QFETCH(QString, sRules);
    QFETCH(bool, bLines);
    const QString sInput = MakeInputs({QStringLiteral("ts:mpeg2video:aac")}).value(0);
    QVERIFY(!sInput.isEmpty());
    // FFmpeg's MP4 muxer tells of its second pass (the index moved to the
    // front), which would go to stderr by FFmpeg's own default.
    QLoggingCategory::setFilterRules(sRules);
    gMediaMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(NoteMessage);
    QTemporaryFile caught;
    QVERIFY(caught.open());
    const int iStderr = ::dup(STDERR_FILENO);
    ::dup2(caught.handle(), STDERR_FILENO);
    Remuxer remuxer;
    const bool bDone = remuxer.Run({sInput}, m_dir.filePath(QStringLiteral("logged.part")));
    ::dup2(iStderr, STDERR_FILENO);
    ::close(iStderr);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    QVERIFY2(bDone, qPrintable(remuxer.ErrorString()));
    QFile stderrText(caught.fileName());
    QVERIFY(stderrText.open(QIODevice::ReadOnly));
    QCOMPARE(stderrText.readAll(), QByteArray());
    QCOMPARE(!gMediaMessages.filter(QStringLiteral("ffmpeg:")).isEmpty(), bLines);
}

QTEST_GUILESS_MAIN(tst_Remuxer)
#include "tst_remuxer.moc"
