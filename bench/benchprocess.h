#pragma once

// What the transfer benchmarks share: a source file, the sendfile server on
// 127.0.0.1, and one download measured in a child process of its own
// (wait4's resource usage: wall time, CPU seconds, peak memory).

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Run
{
    double dSeconds = 0;
    double dCpuSeconds = 0;
    long lMaxRssKiB = 0;
    bool bOk = false;
};

// Runs args in a child process with its output thrown away and measures it
// from its start to its end. With bDone, the child is ended (SIGTERM) as
// soon as bDone() holds, and the wall time ends then: for a program that does
// not end by itself. With bStarted, the wall time begins when bStarted()
// first holds (e.g. when the transfer's file appears), leaving start-up out.
inline Run Measure(const std::vector<std::string> &args, const std::function<bool()> &bDone = {},
                   const std::function<bool()> &bStarted = {})
{
    auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char *> argv;
        for (const std::string &s : args)
            argv.push_back(const_cast<char *>(s.c_str()));
        argv.push_back(nullptr);
        const int iNull = ::open("/dev/null", O_WRONLY);
        ::dup2(iNull, STDOUT_FILENO);
        ::dup2(iNull, STDERR_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int iStatus = 0;
    rusage usage {};
    if (bDone || bStarted) {
        bool bSeenStart = !bStarted;
        while (!(bDone && bDone())) {
            // Whether it ended, without reaping it: wait4 below takes its usage.
            siginfo_t info {};
            if (::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
                break;
            if (!bSeenStart && bStarted()) {
                bSeenStart = true;
                start = std::chrono::steady_clock::now();
            }
            ::usleep(1000);
        }
    }
    auto end = std::chrono::steady_clock::now();
    if (bDone)
        ::kill(pid, SIGTERM); // no effect once it has ended
    ::wait4(pid, &iStatus, 0, &usage);
    if (!bDone)
        end = std::chrono::steady_clock::now();
    Run run;
    run.dSeconds = std::chrono::duration<double>(end - start).count();
    run.dCpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6
        + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    run.lMaxRssKiB = usage.ru_maxrss;
    run.bOk = bDone ? bDone() : WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0;
    return run;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline bool MakeFile(const std::string &sPath, long lMiB)
{
    FILE *pFile = std::fopen(sPath.c_str(), "wb");
    if (!pFile)
        return false;
    std::vector<unsigned char> block(1 << 20);
    unsigned int iSeed = 12345;
    for (long i = 0; i < lMiB; ++i) {
        for (unsigned char &c : block)
            c = static_cast<unsigned char>((iSeed = iSeed * 1103515245u + 12345u) >> 24);
        std::fwrite(block.data(), 1, block.size(), pFile);
    }
    return std::fclose(pFile) == 0;
}

// The options both transfer benchmarks take: --size-mib N, --runs K,
// --dir DIR, and any others by name (their values as given).
struct Options
{
    long lMiB = 1024;
    int iRuns = 3;
    std::string sDir;
    std::vector<std::pair<std::string, std::string>> others;

    Options(int argc, char **argv, std::string sDefaultDir) : sDir(std::move(sDefaultDir))
    {
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::string sName = argv[i];
            if (sName == "--size-mib")
                lMiB = std::atol(argv[i + 1]);
            else if (sName == "--runs")
                iRuns = std::atoi(argv[i + 1]);
            else if (sName == "--dir")
                sDir = argv[i + 1];
            else
                others.emplace_back(sName, argv[i + 1]);
        }
    }

    std::string Other(const std::string &sName) const
    {
        for (const auto &[sKey, sValue] : others) {
            if (sKey == sName)
                return sValue;
        }
        return {};
    }
};

// The file the server serves, made once per size under the options'
// directory and kept for later runs; empty when it cannot be written.
inline std::string PrepareSource(const Options &options)
{
    std::system(("mkdir -p '" + options.sDir + "'").c_str());
    const std::string sSource =
        options.sDir + "/source-" + std::to_string(options.lMiB) + "MiB.bin";
    if (::access(sSource.c_str(), R_OK) != 0 && !MakeFile(sSource, options.lMiB)) {
        std::fprintf(stderr, "cannot write %s\n", sSource.c_str());
        return {};
    }
    return sSource;
}

// Starts bench_fileserver (beside the benchmark) serving sSource; its port,
// or 0. The server serves the file at any path, and a page of a supported
// site linking to it under /angryalien.com/. Other arguments than a file
// can be given instead (see bench_fileserver.cpp).
inline int StartFileServer(const std::string &sBenchDir, const std::vector<std::string> &arguments,
                           pid_t &serverPid)
{
    const std::string sServer = sBenchDir + "bench_fileserver";
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return 0;
    serverPid = ::fork();
    if (serverPid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        std::vector<char *> argv{const_cast<char *>(sServer.c_str())};
        for (const std::string &sArgument : arguments)
            argv.push_back(const_cast<char *>(sArgument.c_str()));
        argv.push_back(nullptr);
        ::execv(sServer.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    FILE *pServer = ::fdopen(pipeEnds[0], "r");
    int iPort = 0;
    if (!pServer || std::fscanf(pServer, "%d", &iPort) != 1)
        iPort = 0;
    if (pServer)
        std::fclose(pServer);
    if (iPort == 0)
        std::fprintf(stderr, "cannot start %s\n", sServer.c_str());
    return iPort;
}

inline int StartFileServer(const std::string &sBenchDir, const std::string &sSource, pid_t &serverPid)
{
    return StartFileServer(sBenchDir, std::vector<std::string>{sSource}, serverPid);
}

// One run's line: which side, whether it succeeded, its figures.
inline void PrintRun(int iRun, const char *sName, const Run &run, long lMiB)
{
    std::printf("run %d %-7s %s %8.1f MB/s  cpu %6.2f s  peak %7ld KiB\n", iRun, sName,
                run.bOk ? "ok  " : "FAIL", lMiB * 1.048576 / run.dSeconds, run.dCpuSeconds,
                run.lMaxRssKiB);
}

// The medians of both sides and their ratios (measured / reference).
inline void PrintComparison(long lMiB, const char *sReference, const std::vector<Run> &reference,
                            const char *sMeasured, const std::vector<Run> &measured)
{
    const auto median = [](const std::vector<Run> &runs, double (*field)(const Run &)) {
        std::vector<double> values;
        for (const Run &run : runs)
            values.push_back(field(run));
        return Median(values);
    };
    struct Figures
    {
        double dRate, dCpu, dRss;
    };
    const auto figures = [&](const std::vector<Run> &runs) {
        return Figures{lMiB * 1.048576 / median(runs, [](const Run &r) { return r.dSeconds; }),
                       median(runs, [](const Run &r) { return r.dCpuSeconds; }),
                       median(runs, [](const Run &r) { return double(r.lMaxRssKiB); })};
    };
    const Figures ref = figures(reference);
    const Figures got = figures(measured);
    std::printf("%-13s %10s %10s %12s\n", "", "MB/s", "CPU s", "peak KiB");
    std::printf("%-13s %10.1f %10.2f %12.0f\n", sReference, ref.dRate, ref.dCpu, ref.dRss);
    std::printf("%-13s %10.1f %10.2f %12.0f\n", sMeasured, got.dRate, got.dCpu, got.dRss);
    std::printf("%-13s %10.2f %10.2f %12.2f   (%s / %s)\n", "ratio", got.dRate / ref.dRate,
                got.dCpu / ref.dCpu, got.dRss / ref.dRss, sMeasured, sReference);
}

} // namespace bench
