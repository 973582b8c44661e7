// Serves one file over HTTP/1.1 on 127.0.0.1 as fast as the kernel can send
// it (sendfile), so that the transfer benchmark measures the clients, not the
// server. Answers HEAD and GET for any path, one connection at a time, and
// closes each connection after its answer. Prints the port on stdout.
// A path under /angryalien.com/ gets a small video page instead, whose
// embedded movie is the file, so the whole path of the program (page, rule,
// information request, transfer) can be measured against the same server.
//
// With --generated, the file is made up as it is sent (SIZE MiB of a fixed
// pattern, never stored), carries an ETag, serves Range/If-Range, and each
// connection is dropped when the data sent reaches the next multiple of
// --drop-every MiB of the file, as a server that cuts long transfers does.
// GET /stats answers the body bytes sent since the last /stats.
//
//   bench_fileserver FILE
//   bench_fileserver --generated SIZE_MIB --drop-every MIB

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "generatedfile.h"

namespace {

using bench::HeaderValue;
using bench::kPatternBytes;
using bench::Pattern;

bool SendAll(int iSocket, const std::string &sData)
{
    size_t iSent = 0;
    while (iSent < sData.size()) {
        const ssize_t n = ::send(iSocket, sData.data() + iSent, sData.size() - iSent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        iSent += size_t(n);
    }
    return true;
}

std::string RequestPath(const std::string &sHead)
{
    const size_t iStart = sHead.find(' ');
    const size_t iEnd = iStart == std::string::npos ? iStart : sHead.find(' ', iStart + 1);
    return iEnd == std::string::npos ? std::string() : sHead.substr(iStart + 1, iEnd - iStart - 1);
}

void ServePage(int iSocket, int iPort, bool bHead)
{
    const std::string sPage = "<html><body><embed src=\"http://127.0.0.1:" + std::to_string(iPort)
        + "/video.flv\" width=\"400\"></body></html>";
    const std::string sAnswer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
        + std::to_string(sPage.size()) + "\r\nConnection: close\r\n\r\n";
    SendAll(iSocket, bHead ? sAnswer : sAnswer + sPage);
}

struct Generated
{
    long long llSize = 0;
    long long llDropEvery = 0;
    long long llSent = 0; // body bytes since the last /stats
};

void ServeGenerated(int iSocket, const std::string &sHead, bool bHead, Generated &generated)
{
    if (RequestPath(sHead) == "/stats") {
        const std::string sBody = std::to_string(generated.llSent);
        generated.llSent = 0;
        SendAll(iSocket, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(sBody.size())
                             + "\r\nConnection: close\r\n\r\n" + sBody);
        return;
    }
    const std::string sETag = "\"gen-" + std::to_string(generated.llSize) + "\"";
    long long llFrom = 0;
    const std::string sRange = HeaderValue(sHead, "Range");
    const std::string sIfRange = HeaderValue(sHead, "If-Range");
    if (sRange.rfind("bytes=", 0) == 0 && (sIfRange.empty() || sIfRange == sETag))
        llFrom = std::atoll(sRange.c_str() + 6);
    if (llFrom >= generated.llSize) {
        SendAll(iSocket, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */"
                             + std::to_string(generated.llSize)
                             + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    std::string sAnswer = llFrom > 0 ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes "
            + std::to_string(llFrom) + "-" + std::to_string(generated.llSize - 1) + "/"
            + std::to_string(generated.llSize) + "\r\n"
                                     : "HTTP/1.1 200 OK\r\n";
    sAnswer += "Content-Type: video/mp4\r\nETag: " + sETag + "\r\nAccept-Ranges: bytes\r\n"
        "Content-Length: " + std::to_string(generated.llSize - llFrom)
        + "\r\nConnection: close\r\n\r\n";
    if (!SendAll(iSocket, sAnswer) || bHead)
        return;
    // Up to the next drop, or the end.
    const long long llEnd = generated.llDropEvery > 0
        ? std::min(generated.llSize, (llFrom / generated.llDropEvery + 1) * generated.llDropEvery)
        : generated.llSize;
    const char *pPattern = Pattern().data();
    for (long long llAt = llFrom; llAt < llEnd;) {
        const size_t iOffset = size_t(llAt % kPatternBytes);
        const size_t iWant = size_t(std::min<long long>(llEnd - llAt, kPatternBytes));
        const ssize_t n = ::send(iSocket, pPattern + iOffset, iWant, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        llAt += n;
        generated.llSent += n;
    }
}

void Serve(int iSocket, const char *sFile, int iPort, Generated *pGenerated)
{
    std::string sHead;
    char buffer[4096];
    while (sHead.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(iSocket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        sHead.append(buffer, size_t(n));
    }
    const bool bHead = sHead.compare(0, 5, "HEAD ") == 0;
    if (RequestPath(sHead).rfind("/angryalien.com/", 0) == 0) {
        ServePage(iSocket, iPort, bHead);
        return;
    }
    if (pGenerated) {
        ServeGenerated(iSocket, sHead, bHead, *pGenerated);
        return;
    }
    const int iFile = ::open(sFile, O_RDONLY);
    struct stat info {};
    if (iFile < 0 || ::fstat(iFile, &info) != 0)
        return;
    const std::string sAnswer = "HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: "
        + std::to_string(info.st_size) + "\r\nConnection: close\r\n\r\n";
    if (SendAll(iSocket, sAnswer) && !bHead) {
        off_t offset = 0;
        while (offset < info.st_size)
            if (::sendfile(iSocket, iFile, &offset, size_t(info.st_size - offset)) <= 0)
                break;
    }
    ::close(iFile);
}

} // namespace

int main(int argc, char **argv)
{
    Generated generated;
    const bool bGenerated = argc == 5 && std::strcmp(argv[1], "--generated") == 0
        && std::strcmp(argv[3], "--drop-every") == 0;
    if (bGenerated) {
        generated.llSize = std::atoll(argv[2]) << 20;
        generated.llDropEvery = std::atoll(argv[4]) << 20;
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE | --generated SIZE_MIB --drop-every MIB\n", argv[0]);
        return 2;
    }
    int iPort = 0;
    const int iListener = bench::ListenOnLoopback(16, iPort);
    if (iListener < 0) {
        std::perror("listen");
        return 1;
    }
    std::printf("%d\n", iPort);
    std::fflush(stdout);
    for (;;) {
        const int iSocket = ::accept(iListener, nullptr, nullptr);
        if (iSocket < 0)
            continue;
        Serve(iSocket, argv[1], iPort, bGenerated ? &generated : nullptr);
        ::shutdown(iSocket, SHUT_WR);
        // Let the client read to the end before the socket goes away.
        char drain[256];
        while (::recv(iSocket, drain, sizeof drain, 0) > 0) {
        }
        ::close(iSocket);
    }
}
