// A transfer started from the window against the same transfer through
// clipvane-get, alternately, several times each: does the skin slow a
// download? The window is started as `clipvane URL` (which lists the address
// and starts the queue, as a handed-over address does) with a home of its
// own, on the offscreen platform unless QT_QPA_PLATFORM says otherwise, and
// ended once the file is finished. Both are timed from the moment the
// transfer's file appears to the moment the finished file has its final
// name, so the window's start-up (measured by skin_bench) is left out; CPU
// and memory are the whole process's.
//
//   window_bench [--size-mib N] [--runs K] [--dir DIR]

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <sys/stat.h>


#include "benchprocess.h"
#include "settings/cregister.h"
#include "settings/settingsstore.h"

using namespace bench;

namespace {

// A fresh home whose settings say where to download and not to watch the
// clipboard (the watcher is not what is measured).
bool PrepareHome(const std::string &sHome, const std::string &sDownloads)
{
    std::system(("rm -rf '" + sHome + "' && mkdir -p '" + sHome + "/config' '" + sHome
                 + "/run' && chmod 700 '" + sHome + "/run'")
                    .c_str());
    const CRegister registry(QString::fromStdString(sHome + "/config/Clipvane/registry.ini"));
    return registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                   SettingsStore::kURLMonValue, QStringLiteral("False"))
        && registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                   SettingsStore::kDownloadDirValue,
                                   QString::fromStdString(sDownloads));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Options options(argc, argv, "/tmp/clipvane-window-bench");
    const long lMiB = options.lMiB;
    const int iRuns = options.iRuns;
    const std::string &sDir = options.sDir;
    const std::string sSource = PrepareSource(options);
    if (sSource.empty())
        return 1;
    const std::string sSelf = QFile::decodeName(argv[0]).toStdString();
    const std::string sBenchDir = sSelf.substr(0, sSelf.rfind('/') + 1);
    pid_t serverPid = 0;
    const int iPort = StartFileServer(sBenchDir, sSource, serverPid);
    if (iPort == 0)
        return 1;
    const std::string sPageUrl = "http://127.0.0.1:" + std::to_string(iPort)
        + "/angryalien.com/page.html";
    const std::string sGet = sBenchDir + "../src/app/clipvane-get";
    const std::string sWindow = sBenchDir + "../src/app/clipvane";
    const std::string sGetDir = sDir + "/get";
    const std::string sHome = sDir + "/home";
    const std::string sWindowDir = sDir + "/window";
    const qint64 llSize = qint64(lMiB) << 20;

    // The transfer under way (its part file or already the final one), and
    // the finished file under its final name at full size. The served page
    // links to video.flv.
    const auto startedIn = [](const std::string &sFolder) {
        return [sFolder] {
            return ::access((sFolder + "/video.flv.part").c_str(), F_OK) == 0
                || ::access((sFolder + "/video.flv").c_str(), F_OK) == 0;
        };
    };
    const auto finishedIn = [llSize](const std::string &sFolder) {
        return [llSize, sFolder] {
            struct stat info {};
            return ::stat((sFolder + "/video.flv").c_str(), &info) == 0 && info.st_size == llSize;
        };
    };

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<Run> getRuns, windowRuns;
    for (int i = 0; i < iRuns; ++i) {
        std::system(("rm -rf '" + sGetDir + "'").c_str());
        getRuns.push_back(Measure({sGet, "--dir", sGetDir, "--skip-connection-check", sPageUrl},
                                  finishedIn(sGetDir), startedIn(sGetDir)));

        std::system(("rm -rf '" + sWindowDir + "'").c_str());
        if (!PrepareHome(sHome, sWindowDir)) {
            std::fprintf(stderr, "cannot write the window's settings under %s\n", sHome.c_str());
            return 1;
        }
        qputenv("HOME", sHome.c_str());
        qputenv("XDG_CONFIG_HOME", (sHome + "/config").c_str());
        qputenv("XDG_RUNTIME_DIR", (sHome + "/run").c_str());
        windowRuns.push_back(
            Measure({sWindow, "--skip-connection-check", sPageUrl}, finishedIn(sWindowDir),
                    startedIn(sWindowDir)));
        PrintRun(i + 1, "get", getRuns.back(), lMiB);
        PrintRun(i + 1, "window", windowRuns.back(), lMiB);
    }
    ::kill(serverPid, SIGTERM);
    ::waitpid(serverPid, nullptr, 0);

    std::printf("\nfile %ld MiB from a video page, %d runs each (medians; each timed from "
                "the transfer's first file to the finished one, start-up left out)\n", lMiB, iRuns);
    PrintComparison(lMiB, "clipvane-get", getRuns, "window", windowRuns);
    return 0;
}
