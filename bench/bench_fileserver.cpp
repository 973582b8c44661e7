// Serves one file over HTTP/1.1 on 127.0.0.1 as fast as the kernel can send
// it (sendfile), so that the transfer benchmark measures the clients, not the
// server. Answers HEAD and GET for any path, one connection at a time, and
// closes each connection after its answer. Prints the port on stdout.
// A path under /angryalien.com/ gets a small video page instead, whose
// embedded movie is the file, so the whole path of the program (page, rule,
// information request, transfer) can be measured against the same server.
//
//   bench_fileserver FILE

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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

void Serve(int iSocket, const char *sFile, int iPort)
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const int iListener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int iOn = 1;
    ::setsockopt(iListener, SOL_SOCKET, SO_REUSEADDR, &iOn, sizeof iOn);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t iLength = sizeof address;
    if (::bind(iListener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(iListener, 16) != 0
        || ::getsockname(iListener, reinterpret_cast<sockaddr *>(&address), &iLength) != 0) {
        std::perror("listen");
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int iSocket = ::accept(iListener, nullptr, nullptr);
        if (iSocket < 0)
            continue;
        Serve(iSocket, argv[1], ntohs(address.sin_port));
        ::shutdown(iSocket, SHUT_WR);
        // Let the client read to the end before the socket goes away.
        char drain[256];
        while (::recv(iSocket, drain, sizeof drain, 0) > 0) {
        }
        ::close(iSocket);
    }
}
