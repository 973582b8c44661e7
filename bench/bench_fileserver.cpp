// Serves one file over HTTP/1.1 on 127.0.0.1 as fast as the kernel can send
// it (sendfile), so that the transfer benchmark measures the clients, not the
// server. Answers HEAD and GET for any path, one connection at a time, and
// closes each connection after its answer. Prints the port on stdout.
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

void Serve(int iSocket, const char *sFile)
{
    std::string sHead;
    char buffer[4096];
    while (sHead.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(iSocket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        sHead.append(buffer, size_t(n));
    }
    const int iFile = ::open(sFile, O_RDONLY);
    struct stat info {};
    if (iFile < 0 || ::fstat(iFile, &info) != 0)
        return;
    const bool bHead = sHead.compare(0, 5, "HEAD ") == 0;
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
        Serve(iSocket, argv[1]);
        ::shutdown(iSocket, SHUT_WR);
        // Let the client read to the end before the socket goes away.
        char drain[256];
        while (::recv(iSocket, drain, sizeof drain, 0) > 0) {
        }
        ::close(iSocket);
    }
}
