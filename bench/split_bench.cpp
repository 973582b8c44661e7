// A file over several connections: a server on 127.0.0.1 that lets each
// connection send at most 1 MiB/s serves a 64 MiB file (made up as it is
// sent, with an ETag, serving Range and If-Range), and clipvane-get (its
// defaults), aria2c -x4 -s4 -k1M and curl each fetch it in a child process
// of their own: wall time, CPU time, the body bytes the server sent, and
// whether the file arrived byte-exact. A client that is not installed is
// skipped. Then the speed limit: clipvane-get --limit-rate at 1 MiB/s and
// 10 MiB/s from the same server without its per-connection cap, the rate
// read from the part's blocks on disk every 100 ms, over every 10 s window
// that starts after the first second.
//
//   split_bench [--size-mib 64] [--dir DIR]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "benchprocess.h"
#include "generatedfile.h"

namespace {

using namespace bench;
using Clock = std::chrono::steady_clock;

struct Server
{
    long long llSize = 0;
    std::atomic<long long> llPerConnectionRate{0};
    std::atomic<long long> llSent{0};
    int iPort = 0;
};

bool SendAll(int iSocket, const char *pData, size_t iBytes)
{
    while (iBytes > 0) {
        const ssize_t n = ::send(iSocket, pData, iBytes, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        pData += n;
        iBytes -= size_t(n);
    }
    return true;
}

void Answer(int iSocket, Server &server)
{
    std::string sHead;
    char buffer[4096];
    while (sHead.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(iSocket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        sHead.append(buffer, size_t(n));
    }
    const std::string sETag = "\"split-" + std::to_string(server.llSize) + "\"";
    long long llFrom = 0;
    long long llTo = server.llSize - 1;
    const std::string sRange = HeaderValue(sHead, "Range");
    const std::string sIfRange = HeaderValue(sHead, "If-Range");
    const bool bRanged = sRange.rfind("bytes=", 0) == 0 && (sIfRange.empty() || sIfRange == sETag);
    if (bRanged) {
        llFrom = std::atoll(sRange.c_str() + 6);
        const size_t iDash = sRange.find('-');
        if (iDash != std::string::npos && iDash + 1 < sRange.size())
            llTo = std::min(llTo, std::atoll(sRange.c_str() + iDash + 1));
    }
    std::string sAnswer = bRanged ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes "
            + std::to_string(llFrom) + "-" + std::to_string(llTo) + "/"
            + std::to_string(server.llSize) + "\r\n"
                                  : "HTTP/1.1 200 OK\r\n";
    sAnswer += "Content-Type: video/mp4\r\nETag: " + sETag + "\r\nAccept-Ranges: bytes\r\n"
        "Content-Length: " + std::to_string(llTo - llFrom + 1) + "\r\nConnection: close\r\n\r\n";
    if (!SendAll(iSocket, sAnswer.data(), sAnswer.size()) || sHead.rfind("HEAD ", 0) == 0)
        return;
    const long long llRate = server.llPerConnectionRate;
    const size_t iPiece = llRate > 0 ? 16 * 1024 : 256 * 1024;
    const auto start = Clock::now();
    long long llSent = 0;
    for (long long llAt = llFrom; llAt <= llTo;) {
        if (llRate > 0)
            std::this_thread::sleep_until(start + std::chrono::microseconds(llSent * 1000000 / llRate));
        const size_t iWant = size_t(std::min<long long>(llTo + 1 - llAt, (long long)iPiece));
        const ssize_t n = ::send(iSocket, Pattern().data() + llAt % kPatternBytes, iWant, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        llAt += n;
        llSent += n;
        server.llSent += n;
    }
}

void Listen(int iListener, Server &server)
{
    for (;;) {
        const int iSocket = ::accept(iListener, nullptr, nullptr);
        if (iSocket < 0)
            continue;
        std::thread([iSocket, &server] {
            Answer(iSocket, server);
            ::shutdown(iSocket, SHUT_WR);
            char drain[256];
            while (::recv(iSocket, drain, sizeof drain, 0) > 0) {
            }
            ::close(iSocket);
        }).detach();
    }
}

bool StartServer(Server &server)
{
    const int iListener = bench::ListenOnLoopback(64, server.iPort);
    if (iListener < 0)
        return false;
    std::thread(Listen, iListener, std::ref(server)).detach();
    return true;
}

bool IsTheFile(const std::string &sPath, long long llSize)
{
    FILE *pFile = std::fopen(sPath.c_str(), "rb");
    if (!pFile)
        return false;
    std::vector<char> buffer(kPatternBytes);
    long long llAt = 0;
    bool bSame = true;
    size_t n;
    while (bSame && (n = std::fread(buffer.data(), 1, kPatternBytes - size_t(llAt % kPatternBytes), pFile)) > 0) {
        bSame = std::equal(buffer.begin(), buffer.begin() + long(n), Pattern().begin() + long(llAt % kPatternBytes));
        llAt += static_cast<long long>(n);
    }
    std::fclose(pFile);
    return bSame && llAt == llSize;
}

bool Installed(const std::string &sProgram)
{
    return std::system(("command -v " + sProgram + " >/dev/null 2>&1").c_str()) == 0;
}

long long BytesOnDisk(const std::string &sPath)
{
    struct stat info {};
    return ::stat(sPath.c_str(), &info) == 0 ? static_cast<long long>(info.st_blocks) * 512 : -1;
}

// The limit's figures: the bytes on disk every 100 ms from the first.
void PrintLimit(const char *sLimit, long long llRate, const std::vector<long long> &samples,
                const Run &run, bool bExact)
{
    double dMost = 0;
    double dLeast = 1e18;
    // Windows of 100 samples (10 s) from sample 10 (1 s) on.
    for (size_t i = 10; i + 100 < samples.size(); ++i) {
        const double dRate = double(samples[i + 100] - samples[i]) / 10.0;
        dMost = std::max(dMost, dRate);
        dLeast = std::min(dLeast, dRate);
    }
    if (dMost == 0)
        dLeast = 0;
    std::printf("| %-9s | %7.2f | %6.2f | %17.3f | %17.3f | %-5s |\n", sLimit, run.dSeconds,
                run.dCpuSeconds, dMost / double(llRate), dLeast / double(llRate), bExact ? "yes" : "NO");
}

} // namespace

int main(int argc, char **argv)
{
    Options options(argc, argv, "/tmp/clipvane-split-bench");
    bool bSizeGiven = false;
    for (int i = 1; i < argc; ++i)
        bSizeGiven = bSizeGiven || std::string(argv[i]) == "--size-mib";
    if (!bSizeGiven)
        options.lMiB = 64;
    const long long llSize = static_cast<long long>(options.lMiB) << 20;
    std::system(("rm -rf '" + options.sDir + "' && mkdir -p '" + options.sDir + "'").c_str());
    Server server;
    server.llSize = llSize;
    server.llPerConnectionRate = 1 << 20;
    if (!StartServer(server))
        return 1;
    const std::string sUrl = "http://127.0.0.1:" + std::to_string(server.iPort) + "/split.mp4";
    const std::string sSelf = argv[0];
    const std::string sGet = sSelf.substr(0, sSelf.rfind('/') + 1) + "../src/app/clipvane-get";
    const std::string sOut = options.sDir + "/out";

    struct Client
    {
        const char *sName;
        std::vector<std::string> args;
        std::string sFile;
    };
    const std::vector<Client> clients{
        {"clipvane-get", {sGet, "--dir", sOut, "--skip-connection-check", "--any-site", sUrl}, sOut + "/split.mp4"},
        {"aria2c", {"aria2c", "-q", "-x4", "-s4", "-k1M", "--allow-overwrite=true", "-d", sOut, "-o", "aria.mp4", sUrl},
         sOut + "/aria.mp4"},
        {"curl", {"curl", "-s", "-o", sOut + "/curl.mp4", sUrl}, sOut + "/curl.mp4"},
    };
    std::printf("%lld MiB, each connection at most 1 MiB/s\n\n", llSize >> 20);
    std::printf("| client       |   wall s |   CPU s |     bytes sent | × file | exact |\n"
                "|--------------|----------|---------|----------------|--------|-------|\n");
    for (const Client &client : clients) {
        if (!Installed(client.args.front())) {
            std::printf("| %-12s | (not installed)\n", client.sName);
            continue;
        }
        std::system(("rm -rf '" + sOut + "' && mkdir -p '" + sOut + "'").c_str());
        server.llSent = 0;
        const Run run = Measure(client.args);
        const long long llSent = server.llSent;
        std::printf("| %-12s | %8.2f | %7.2f | %14lld | %6.3f | %-5s |\n", client.sName, run.dSeconds,
                    run.dCpuSeconds, llSent, double(llSent) / double(llSize),
                    run.bOk && IsTheFile(client.sFile, llSize) ? "yes" : "NO");
        std::fflush(stdout);
    }

    std::printf("\nclipvane-get --limit-rate, no cap per connection; 10 s windows after the first "
                "second, as a share of the limit\n\n"
                "| limit     |  wall s |  CPU s | most in 10 s / limit | least in 10 s / limit | exact |\n"
                "|-----------|---------|--------|----------------------|-----------------------|-------|\n");
    server.llPerConnectionRate = 0;
    const struct { const char *sLimit; long long llRate; long long llMiB; } limits[] = {
        {"1M", 1LL << 20, 16}, {"10M", 10LL << 20, 160}};
    for (const auto &limit : limits) {
        Server limited;
        limited.llSize = limit.llMiB << 20;
        if (!StartServer(limited))
            return 1;
        std::system(("rm -rf '" + sOut + "' && mkdir -p '" + sOut + "'").c_str());
        const std::string sPart = sOut + "/split.mp4.part";
        const std::string sFinal = sOut + "/split.mp4";
        std::vector<long long> samples;
        auto next = Clock::now();
        const Run run = Measure(
            {sGet, "--dir", sOut, "--skip-connection-check", "--any-site", "--limit-rate", limit.sLimit,
             "http://127.0.0.1:" + std::to_string(limited.iPort) + "/split.mp4"},
            [&] {
                const bool bDone = BytesOnDisk(sFinal) >= 0;
                if (Clock::now() >= next || bDone) {
                    const long long llOnDisk = bDone ? limited.llSize : BytesOnDisk(sPart);
                    if (llOnDisk > 0 || !samples.empty())
                        samples.push_back(std::max(llOnDisk, 0LL));
                    next += std::chrono::milliseconds(100);
                }
                return bDone;
            });
        PrintLimit(limit.sLimit, limit.llRate, samples, run, IsTheFile(sFinal, limited.llSize));
        std::fflush(stdout);
    }
    std::printf("\ngoal: clipvane-get's wall time at most aria2c's and at most 0.3 x curl's, bytes "
                "sent at most 1.01 x the file; the limit within 5 %% over any 10 s\n");
    return 0;
}
