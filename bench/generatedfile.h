#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>
#include <string>
#include <vector>

// The made-up file the benches' servers send, and what else of a server
// they share: the listening socket and the one header reading they need.
namespace bench {

// Byte i of the file is Pattern()[i % kPatternBytes]. A prime length keeps
// any piece from looking like the piece one drop earlier.
constexpr size_t kPatternBytes = 1000003;

inline const std::vector<char> &Pattern()
{
    // Twice over, so that any offset has kPatternBytes in a row behind it.
    static const std::vector<char> pattern = [] {
        std::vector<char> bytes(2 * kPatternBytes);
        unsigned int iSeed = 4711;
        for (size_t i = 0; i < kPatternBytes; ++i)
            bytes[i] = bytes[i + kPatternBytes] = static_cast<char>((iSeed = iSeed * 1103515245u + 12345u) >> 24);
        return bytes;
    }();
    return pattern;
}

// The value of header sName in a request's head; empty when it has none.
inline std::string HeaderValue(const std::string &sHead, const std::string &sName)
{
    const size_t iAt = sHead.find("\r\n" + sName + ": ");
    if (iAt == std::string::npos)
        return {};
    const size_t iStart = iAt + 4 + sName.size();
    return sHead.substr(iStart, sHead.find("\r\n", iStart) - iStart);
}

// A socket listening on 127.0.0.1 at a free port, which goes to iPort;
// -1 when that failed.
inline int ListenOnLoopback(int iBacklog, int &iPort)
{
    const int iListener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int iOn = 1;
    ::setsockopt(iListener, SOL_SOCKET, SO_REUSEADDR, &iOn, sizeof iOn);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t iLength = sizeof address;
    if (iListener < 0 || ::bind(iListener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(iListener, iBacklog) != 0
        || ::getsockname(iListener, reinterpret_cast<sockaddr *>(&address), &iLength) != 0)
        return -1;
    iPort = ntohs(address.sin_port);
    return iListener;
}

} // namespace bench
