// The clipboard watcher on an X desktop of its own (Xvfb): its CPU time and
// memory at rest, and how long a copied address takes to reach the download
// list. Run by hand:
//
//   ./build/bench/clip_bench [--rest-seconds 10] [--copies 50]
//
// This program plays the desktop program (the download list, the hand-over
// endpoint and the monitor) and the program the user copies in: it sets the
// clipboard itself, so the clock starts at the copy.

#include <QClipboard>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "core/imessagebox.h"
#include "core/skinvariables.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/handoverendpoint.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "watcherprobe.h"

namespace {

class SilentMessageBox : public IMessageBox
{
public:
    Answer MsgBox(Icon, const QString &, const QString &, Buttons) override { return Answer::No; }
};

// CPU seconds (user and system) the process has used so far.
double CpuSeconds(qint64 iPid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(iPid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The fields after the command name, which is in parentheses.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

QByteArray StatusField(qint64 iPid, const QByteArray &name, const char *file = "status")
{
    QFile status(QStringLiteral("/proc/%1/%2").arg(iPid).arg(QLatin1String(file)));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).simplified();
    }
    return "?";
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    // The X server first: this program needs it to start.
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray display;
    while (xvfb.waitForReadyRead(30000) && !display.endsWith('\n'))
        display += xvfb.readAllStandardOutput();
    if (display.trimmed().isEmpty()) {
        std::fprintf(stderr, "clip_bench: Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", ":" + display.trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");

    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption restOption(QStringLiteral("rest-seconds"),
                                        QStringLiteral("Seconds the watcher is watched at rest."),
                                        QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption copiesOption(QStringLiteral("copies"),
                                          QStringLiteral("Addresses copied for the latency."),
                                          QStringLiteral("N"), QStringLiteral("50"));
    parser.addOption(restOption);
    parser.addOption(copiesOption);
    parser.addHelpOption();
    parser.process(app);
    const int iRestSeconds = parser.value(restOption).toInt();
    const int iCopies = parser.value(copiesOption).toInt();

    HeadlessDownloadGrid grid;
    SilentMessageBox messages;
    SkinVariables skin;
    DownloadSession session(grid, messages, skin);
    session.Queue().SetConnectivityTest([] { return false; });
    HandOverEndpoint endpoint(QCoreApplication::applicationPid());
    endpoint.Listen();
    ClipboardMonitor monitor(ClipboardMonitor::Parts{endpoint, session.Adder(), session.Run(),
                                                     session.Queue(), skin, session.Settings()});

    QProcess watcher;
    watcher.start(QDir(QCoreApplication::applicationDirPath())
                      .filePath(QStringLiteral("../src/app/clipvane-clip")),
                  {QString::number(endpoint.Number())});
    if (!watcher.waitForStarted(10000) || !QTest::qWaitFor(WatcherProbe::Watching, 30000)) {
        std::fprintf(stderr, "clip_bench: the watcher did not start\n");
        return 1;
    }
    const qint64 iPid = watcher.processId();

    // At rest: nothing is copied, the watcher only waits.
    QTest::qWait(1000);
    const double dCpuBefore = CpuSeconds(iPid);
    QElapsedTimer rest;
    rest.start();
    QTest::qWait(iRestSeconds * 1000);
    const double dCpu = CpuSeconds(iPid) - dCpuBefore;
    const double dWall = rest.nsecsElapsed() / 1e9;
    std::printf("at rest over %.1f s: CPU %.3f s (%.3f %%), wakeups voluntary %s\n", dWall, dCpu,
                100 * dCpu / dWall, StatusField(iPid, "voluntary_ctxt_switches").constData());
    std::printf("memory: VmRSS %s (anonymous %s, file %s), VmHWM %s\n",
                StatusField(iPid, "VmRSS").constData(), StatusField(iPid, "RssAnon").constData(),
                StatusField(iPid, "RssFile").constData(), StatusField(iPid, "VmHWM").constData());
    // Most of the resident set is library code that every Qt program on the
    // desktop maps too; the share that is the watcher's alone:
    std::printf("        Pss %s, Private_Clean %s, Private_Dirty %s\n",
                StatusField(iPid, "Pss", "smaps_rollup").constData(),
                StatusField(iPid, "Private_Clean", "smaps_rollup").constData(),
                StatusField(iPid, "Private_Dirty", "smaps_rollup").constData());

    QList<double> latencies;
    for (int i = 0; i < iCopies; ++i) {
        const int iBefore = int(session.ListStore().Count());
        QElapsedTimer clock;
        clock.start();
        QGuiApplication::clipboard()->setText(
            QStringLiteral("http://www.youtube.com/watch?v=bench%1").arg(i));
        if (!QTest::qWaitFor([&] { return session.ListStore().Count() > iBefore; },
                             10000)) {
            std::fprintf(stderr, "clip_bench: copy %d never reached the list\n", i);
            return 1;
        }
        latencies << clock.nsecsElapsed() / 1e6;
        session.Queue().tmrDownload.stop();
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("copy to list over %d copies: median %.2f ms, 90th %.2f ms, max %.2f ms\n",
                iCopies, latencies.at(latencies.size() / 2),
                latencies.at(latencies.size() * 9 / 10), latencies.last());
    std::printf("memory after the copies: VmRSS %s\n", StatusField(iPid, "VmRSS").constData());

    QProcess::execute(watcher.program(), {QStringLiteral("Exit")});
    watcher.waitForFinished(10000);
    xvfb.terminate();
    xvfb.waitForFinished(10000);
    return 0;
}
