// A server that drops the connection every 100 MiB of a 1 GiB file, and two
// clients that must get the file whole anyway: clipvane-get (from a video
// page: page, rule, information request, transfer with its retries) and
// wget (which retries and continues by default). Each client runs in a
// child process of its own, measured the same way (wall time, CPU time from
// wait4); the server counts the body bytes it sent for each, and the file
// each one wrote is compared with what the server serves.
//
//   resume_bench [--size-mib 1024] [--drop-every 100] [--runs 1] [--dir DIR]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchprocess.h"

namespace {

using namespace bench;

// The body bytes the server sent since it was last asked.
long long BytesSent(int iPort)
{
    const int iSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(iPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string sAnswer;
    if (::connect(iSocket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        const std::string sRequest = "GET /stats HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        ::send(iSocket, sRequest.data(), sRequest.size(), MSG_NOSIGNAL);
        char buffer[512];
        ssize_t n;
        while ((n = ::recv(iSocket, buffer, sizeof buffer, 0)) > 0)
            sAnswer.append(buffer, size_t(n));
    }
    ::close(iSocket);
    const size_t iBody = sAnswer.find("\r\n\r\n");
    return iBody == std::string::npos ? -1 : std::atoll(sAnswer.c_str() + iBody + 4);
}

// Whether sPath holds exactly the server's made-up file (see
// bench_fileserver.cpp: a pattern of 1000003 bytes over and over).
bool IsTheFile(const std::string &sPath, long long llSize)
{
    constexpr size_t kPattern = 1000003;
    std::vector<char> pattern(kPattern);
    unsigned int iSeed = 4711;
    for (char &c : pattern)
        c = static_cast<char>((iSeed = iSeed * 1103515245u + 12345u) >> 24);
    FILE *pFile = std::fopen(sPath.c_str(), "rb");
    if (!pFile)
        return false;
    std::vector<char> buffer(kPattern);
    long long llAt = 0;
    bool bSame = true;
    size_t n;
    while (bSame && (n = std::fread(buffer.data(), 1, kPattern - size_t(llAt % kPattern), pFile)) > 0) {
        bSame = std::equal(buffer.begin(), buffer.begin() + long(n),
                           pattern.begin() + long(llAt % kPattern));
        llAt += static_cast<long long>(n);
    }
    std::fclose(pFile);
    return bSame && llAt == llSize;
}

struct Result
{
    Run run;
    long long llSent = 0;
    bool bExact = false;
};

void PrintRow(const char *sName, const Result &result, long long llSize)
{
    std::printf("| %-12s | %8.2f | %7.2f | %14lld | %6.3f | %-5s | %-4s |\n", sName,
                result.run.dSeconds, result.run.dCpuSeconds, result.llSent,
                double(result.llSent) / double(llSize), result.bExact ? "yes" : "NO",
                result.run.bOk ? "0" : "fail");
}

} // namespace

int main(int argc, char **argv)
{
    const Options options(argc, argv, "/tmp/clipvane-resume-bench");
    const std::string sDropEvery = options.Other("--drop-every").empty()
        ? std::string("100") : options.Other("--drop-every");
    const long long llSize = static_cast<long long>(options.lMiB) << 20;
    std::system(("mkdir -p '" + options.sDir + "'").c_str());

    const std::string sSelf = argv[0];
    const std::string sBenchDir = sSelf.substr(0, sSelf.rfind('/') + 1);
    pid_t serverPid = 0;
    const int iPort = StartFileServer(
        sBenchDir, {"--generated", std::to_string(options.lMiB), "--drop-every", sDropEvery},
        serverPid);
    if (iPort == 0)
        return 1;
    const std::string sBase = "http://127.0.0.1:" + std::to_string(iPort);
    const std::string sGet = sBenchDir + "../src/app/clipvane-get";
    const std::string sWgetOut = options.sDir + "/wget.bin";
    const std::string sGetDir = options.sDir + "/get";

    std::printf("| client       |   wall s |   CPU s |     bytes sent | × file | exact | exit |\n"
                "|--------------|----------|---------|----------------|--------|-------|------|\n");
    for (int i = 0; i < options.iRuns; ++i) {
        BytesSent(iPort);
        std::remove(sWgetOut.c_str());
        Result wget;
        wget.run = Measure({"wget", "-q", "-O", sWgetOut, sBase + "/video.flv"});
        wget.llSent = BytesSent(iPort);
        wget.bExact = IsTheFile(sWgetOut, llSize);
        std::remove(sWgetOut.c_str());
        PrintRow("wget", wget, llSize);

        std::system(("rm -rf '" + sGetDir + "'").c_str());
        Result get;
        get.run = Measure({sGet, "--dir", sGetDir, "--skip-connection-check",
                           sBase + "/angryalien.com/page.html"});
        get.llSent = BytesSent(iPort);
        get.bExact = IsTheFile(sGetDir + "/video.flv", llSize);
        std::system(("rm -rf '" + sGetDir + "'").c_str());
        PrintRow("clipvane-get", get, llSize);
        std::fflush(stdout);
    }
    ::kill(serverPid, SIGTERM);
    ::waitpid(serverPid, nullptr, 0);
    std::printf("\nfile %ld MiB, connection dropped every %s MiB; bytes sent = body bytes of "
                "every answer together (goal for clipvane-get: at most 1.02 x the file)\n",
                options.lMiB, sDropEvery.c_str());
    return 0;
}
