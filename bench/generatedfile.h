#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The made-up file the benches' servers send, and the one header reading
// they need.
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

} // namespace bench
