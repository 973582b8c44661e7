// Downloads one file from a local sendfile server with the transfer control
// and with curl, alternately, several times each, and prints throughput, CPU
// time and peak memory of both with the ratios. Each download runs in a child
// process of its own and is measured the same way (wait4's resource usage),
// so the control's figures include Qt's network thread, its event passes and
// the real progress handler, just as curl's include all of curl.
//
// With --whole-path the program's side is clipvane-get, given the address of
// a video page: page fetch, site rule, information request and transfer.
// It also measures, in this process, how late a 10 ms timer fires while the
// queue runs the same page: what a window would feel during a transfer.
//
//   transfer_bench [--size-mib N] [--runs K] [--dir DIR] [--whole-path 1]
//   transfer_bench --child URL FILE          (one download with the control)

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QTimer>

#include "core/imessagebox.h"
#include "core/skinvariables.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "net/download.h"
#include "session/downloadeventhandlers.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"

#include "benchprocess.h"

namespace {

using namespace bench;

class SilentMessageBox : public IMessageBox
{
public:
    Answer MsgBox(Icon, const QString &, const QString &, Buttons) override { return Answer::OK; }
};

// One download the way the queue makes it: the item has a known size, so
// the handler writes percentages into its Status.
int ChildDownload(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    HeadlessDownloadGrid grid;
    SilentMessageBox messageBox;
    DownloadListStore store(grid, messageBox);
    QString sStatus, sSize = QStringLiteral("1 GB");
    store.AddDownloadItem(QStringLiteral("http://example.invalid/page"), QStringLiteral("f.mp4"),
                          sStatus, sSize);
    store.FillDownloadList();
    RunState run(grid, store);
    run.SetCurrentItem(0);
    Download download;
    DownloadEventHandlers handlers(download, store, run);
    download.SetUrl(QString::fromLocal8Bit(argv[2]));
    download.SetLocalFile(QString::fromLocal8Bit(argv[3]));
    QFile::remove(download.LocalFile());
    // Only a whole file counts as a run. With --size-mib above 2048 this is
    // also the check of byte counts past 2^31 that the tests leave out.
    const bool bWhole = download.StartDownload()
        && download.BytesReceived() == download.ContentLength()
        && QFileInfo(download.LocalFile()).size() == download.BytesReceived();
    return bWhole ? 0 : 1;
}

// Runs the queue over one video page in this process while a 10 ms timer
// ticks, and reports how late the ticks came.
void MeasureResponsiveness(int argc, char **argv, const std::string &sPageUrl,
                           const std::string &sDir)
{
    QCoreApplication app(argc, argv);
    HeadlessDownloadGrid grid;
    SilentMessageBox messageBox;
    SkinVariables skin;
    DownloadSession session(grid, messageBox, skin);
    session.Settings().sDownloadDir = QString::fromStdString(sDir + "/responsiveness");
    session.Queue().SetConnectivityTest([] { return true; });
    session.Adder().AddURL(QString::fromStdString(sPageUrl));

    std::vector<double> lateness;
    QElapsedTimer clock;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    qint64 llLast = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 llNow = clock.nsecsElapsed();
        lateness.push_back((llNow - llLast) / 1e6 - 10.0);
        llLast = llNow;
    });
    clock.start();
    tick.start();
    session.Queue().cmdStartDownload_Click();
    tick.stop();

    std::sort(lateness.begin(), lateness.end());
    if (lateness.empty()) {
        std::printf("responsiveness: no timer tick during the run\n");
        return;
    }
    auto at = [&](double dShare) { return lateness[size_t(dShare * (lateness.size() - 1))]; };
    std::printf("\n10 ms timer during the run (%zu ticks, %.2f s): late by median %.2f ms, "
                "p99 %.2f ms, max %.2f ms; item %s\n",
                lateness.size(), clock.nsecsElapsed() / 1e9, at(0.5), at(0.99), lateness.back(),
                qPrintable(session.ListStore().Items().at(0).Status));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return ChildDownload(argc, argv);

    const Options options(argc, argv, "/tmp/clipvane-transfer-bench");
    const long lMiB = options.lMiB;
    const int iRuns = options.iRuns;
    const std::string &sDir = options.sDir;
    const bool bWholePath = std::atoi(options.Other("--whole-path").c_str()) != 0;
    const std::string sSource = PrepareSource(options);
    if (sSource.empty())
        return 1;

    const std::string sSelf = QFile::decodeName(argv[0]).toStdString();
    pid_t serverPid = 0;
    const int iPort = StartFileServer(sSelf.substr(0, sSelf.rfind('/') + 1), sSource, serverPid);
    if (iPort == 0)
        return 1;
    const std::string sUrl = "http://127.0.0.1:" + std::to_string(iPort) + "/video.mp4";
    const std::string sOutCurl = sDir + "/out-curl.bin";
    const std::string sOutControl = sDir + "/out-control.bin";
    const std::string sPageUrl = "http://127.0.0.1:" + std::to_string(iPort)
        + "/angryalien.com/page.html";
    const std::string sGet = sSelf.substr(0, sSelf.rfind('/') + 1) + "../src/app/clipvane-get";
    const std::string sGetDir = sDir + "/get";

    std::vector<Run> curlRuns, controlRuns;
    for (int i = 0; i < iRuns; ++i) {
        std::remove(sOutCurl.c_str());
        curlRuns.push_back(Measure({"curl", "-s", "-o", sOutCurl, sUrl}));
        std::remove(sOutControl.c_str());
        // Like curl's, the program's file from the run before is removed
        // here: replacing it would charge the old file's removal to the run.
        std::system(("rm -rf '" + sGetDir + "'").c_str());
        controlRuns.push_back(bWholePath ? Measure({sGet, "--dir", sGetDir,
                                                    "--skip-connection-check", sPageUrl})
                                         : Measure({sSelf, "--child", sUrl, sOutControl}));
        PrintRun(i + 1, "curl", curlRuns.back(), lMiB);
        PrintRun(i + 1, "control", controlRuns.back(), lMiB);
    }
    std::remove(sOutCurl.c_str());
    std::remove(sOutControl.c_str());
    if (bWholePath)
        MeasureResponsiveness(argc, argv, sPageUrl, sDir);
    ::kill(serverPid, SIGTERM);
    ::waitpid(serverPid, nullptr, 0);

    std::printf("\nfile %ld MiB, %d runs each (medians)%s\n", lMiB, iRuns,
                bWholePath ? ", control = clipvane-get from the video page" : "");
    PrintComparison(lMiB, "curl", curlRuns, "control", controlRuns);
    return 0;
}
