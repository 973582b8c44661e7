// A 60-second, two-variant HLS stream encrypted with AES-128, from a server
// on 127.0.0.1 that lets each connection send at most 256 KiB/s, as a CDN
// that paces its connections does: clipvane-get (its default fragments at a
// time, best quality) against `ffmpeg -i URL -c copy` and
// `yt-dlp --concurrent-fragments 6`. Each runs in a child process of its own
// with a home of its own; the table gives wall time, CPU time (the child's
// and its children's user + sys), what the server sent for it, and whether
// the decoded video of its file equals ffmpeg's, picture by picture. A tool
// that is not installed is skipped, and the output says so.
//
// The media is made here with the ffmpeg command (a generated picture and a
// tone) and kept under --dir for later runs of the same length.
//
//   stream_bench [--seconds 60] [--rate-kib 256] [--runs 1] [--dir DIR]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "benchprocess.h"

namespace {

using namespace bench;

bool Exists(const std::string &sPath)
{
    return ::access(sPath.c_str(), F_OK) == 0;
}

// The full path of a program found on PATH; empty when there is none.
std::string OnPath(const std::string &sName)
{
    const char *pPath = std::getenv("PATH");
    std::stringstream dirs(pPath ? pPath : "");
    std::string sDir;
    while (std::getline(dirs, sDir, ':')) {
        const std::string sCandidate = sDir + "/" + sName;
        if (::access(sCandidate.c_str(), X_OK) == 0)
            return sCandidate;
    }
    return {};
}

bool Shell(const std::string &sCommand)
{
    return std::system(sCommand.c_str()) == 0;
}

// The stream under sDir: stream.key, low/ and high/ (each an index.m3u8 with
// its TS segments of 3 s), and master.m3u8 naming both. Made once per
// length; false when the ffmpeg command is missing or fails.
bool MakeStream(const std::string &sDir, int iSeconds)
{
    if (Exists(sDir + "/master.m3u8"))
        return true;
    Shell("mkdir -p '" + sDir + "/low' '" + sDir + "/high'");
    {
        std::ofstream key(sDir + "/stream.key", std::ios::binary);
        for (int i = 0; i < 16; ++i)
            key.put(static_cast<char>(0x3c + 7 * i));
        // The key's address as the playlists give it, the key file, the IV.
        std::ofstream info(sDir + "/keyinfo");
        info << "../stream.key\n" << sDir << "/stream.key\n000102030405060708090a0b0c0d0e0f\n";
    }
    struct Variant
    {
        const char *sName, *sSize, *sVideoRate;
    };
    const std::string sLength = std::to_string(iSeconds);
    for (const Variant &variant : {Variant{"low", "640x360", "600k"}, Variant{"high", "1280x720", "2000k"}}) {
        const std::string sOut = sDir + "/" + variant.sName;
        // A keyframe every 3 s, so that every segment is 3 s long.
        if (!Shell("ffmpeg -nostdin -hide_banner -loglevel error -y"
                 " -f lavfi -i testsrc2=size=" + std::string(variant.sSize) + ":rate=25:duration=" + sLength
                 + " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + sLength
                 + " -c:v libx264 -preset veryfast -b:v " + variant.sVideoRate
                 + " -g 75 -keyint_min 75 -sc_threshold 0 -c:a aac -b:a 128k"
                 " -f hls -hls_time 3 -hls_playlist_type vod -hls_key_info_file '" + sDir + "/keyinfo'"
                 " -hls_segment_filename '" + sOut + "/seg%03d.ts' '" + sOut + "/index.m3u8'"))
            return false;
    }
    std::ofstream master(sDir + "/master.m3u8.new");
    master << "#EXTM3U\n"
              "#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=640x360\n"
              "low/index.m3u8\n"
              "#EXT-X-STREAM-INF:BANDWIDTH=2300000,RESOLUTION=1280x720\n"
              "high/index.m3u8\n";
    master.close();
    return std::rename((sDir + "/master.m3u8.new").c_str(), (sDir + "/master.m3u8").c_str()) == 0;
}

// Serves the files under a folder over HTTP/1.1 with keep-alive, a thread
// per connection, each connection paced to at most a given rate on its own:
// more connections get more in total, as from a CDN.
class PacedServer
{
public:
    PacedServer(std::string sRoot, double dBytesPerSecond)
        : m_sRoot(std::move(sRoot)), m_dBytesPerSecond(dBytesPerSecond)
    {
    }

    // The port on 127.0.0.1, or 0.
    int Start()
    {
        m_iListener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t iLength = sizeof address;
        if (::bind(m_iListener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_iListener, 64) != 0
            || ::getsockname(m_iListener, reinterpret_cast<sockaddr *>(&address), &iLength) != 0)
            return 0;
        std::thread([this] { Accept(); }).detach();
        return ntohs(address.sin_port);
    }

    // Requests answered and body bytes sent since the last call.
    std::pair<long, long long> Take()
    {
        return {m_lRequests.exchange(0), m_llBytes.exchange(0)};
    }

private:
    void Accept()
    {
        for (;;) {
            const int iSocket = ::accept(m_iListener, nullptr, nullptr);
            if (iSocket < 0)
                continue;
            // A connection left idle this long is closed, so no thread waits forever.
            timeval idle{30, 0};
            ::setsockopt(iSocket, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
            std::thread([this, iSocket] {
                Serve(iSocket);
                ::close(iSocket);
            }).detach();
        }
    }

    void Serve(int iSocket)
    {
        std::string sBuffer;
        char chunk[4096];
        for (;;) {
            size_t iEnd;
            while ((iEnd = sBuffer.find("\r\n\r\n")) == std::string::npos) {
                const ssize_t n = ::recv(iSocket, chunk, sizeof chunk, 0);
                if (n <= 0)
                    return;
                sBuffer.append(chunk, size_t(n));
            }
            const std::string sHead = sBuffer.substr(0, iEnd);
            sBuffer.erase(0, iEnd + 4);
            if (!Answer(iSocket, sHead))
                return;
        }
    }

    // Answers one request; false when the connection is to be closed.
    bool Answer(int iSocket, const std::string &sHead)
    {
        const size_t iSpace = sHead.find(' ');
        const size_t iPathEnd = sHead.find_first_of(" ?", iSpace + 1);
        const std::string sMethod = sHead.substr(0, iSpace);
        const std::string sPath = sHead.substr(iSpace + 1, iPathEnd - iSpace - 1);
        std::string sLower = sHead;
        for (char &c : sLower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool bClose = sLower.find("\r\nconnection: close") != std::string::npos;

        std::string sBody;
        const bool bFound = iSpace != std::string::npos && sPath.find("..") == std::string::npos
            && ReadFile(m_sRoot + sPath, sBody);
        const std::string sHeader = (bFound ? "HTTP/1.1 200 OK\r\nContent-Type: " + TypeOf(sPath)
                                            : std::string("HTTP/1.1 404 Not Found\r\nContent-Type: text/plain"))
            + "\r\nContent-Length: " + std::to_string(sBody.size())
            + (bClose ? "\r\nConnection: close\r\n\r\n" : "\r\n\r\n");
        if (!SendAll(iSocket, sHeader.data(), sHeader.size()))
            return false;
        ++m_lRequests;
        if (sMethod != "HEAD" && !SendPaced(iSocket, sBody))
            return false;
        return !bClose;
    }

    // Sends in small pieces, each when the answer's rate allows it.
    bool SendPaced(int iSocket, const std::string &sBody)
    {
        constexpr size_t kPiece = 16 * 1024;
        const auto start = std::chrono::steady_clock::now();
        for (size_t iSent = 0; iSent < sBody.size();) {
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(double(iSent) / m_dBytesPerSecond)));
            const size_t iPiece = std::min(kPiece, sBody.size() - iSent);
            if (!SendAll(iSocket, sBody.data() + iSent, iPiece))
                return false;
            iSent += iPiece;
            m_llBytes += static_cast<long long>(iPiece);
        }
        return true;
    }

    static bool SendAll(int iSocket, const char *pData, size_t iSize)
    {
        while (iSize > 0) {
            const ssize_t n = ::send(iSocket, pData, iSize, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            pData += n;
            iSize -= size_t(n);
        }
        return true;
    }

    static bool ReadFile(const std::string &sPath, std::string &sData)
    {
        struct stat info {};
        std::ifstream file(sPath, std::ios::binary);
        if (::stat(sPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !file)
            return false;
        sData.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        return true;
    }

    static std::string TypeOf(const std::string &sPath)
    {
        if (sPath.ends_with(".m3u8"))
            return "application/vnd.apple.mpegurl";
        if (sPath.ends_with(".ts"))
            return "video/mp2t";
        return "application/octet-stream";
    }

    const std::string m_sRoot;
    const double m_dBytesPerSecond;
    int m_iListener = -1;
    std::atomic<long> m_lRequests{0};
    std::atomic<long long> m_llBytes{0};
};

// The checksum of every decoded picture of the first video stream, in the
// order they are shown; empty when the file cannot be decoded.
std::vector<std::string> PictureSums(const std::string &sFile)
{
    std::vector<std::string> sums;
    FILE *pPipe = ::popen(("ffmpeg -nostdin -loglevel error -i '" + sFile
                           + "' -map 0:v:0 -fps_mode passthrough -f framemd5 - 2>/dev/null").c_str(),
                          "r");
    if (!pPipe)
        return sums;
    char line[512];
    while (std::fgets(line, sizeof line, pPipe)) {
        std::string sLine(line);
        if (sLine.empty() || sLine[0] == '#')
            continue;
        while (!sLine.empty() && (sLine.back() == '\n' || sLine.back() == ' '))
            sLine.pop_back();
        sums.push_back(sLine.substr(sLine.rfind(',') + 1));
    }
    ::pclose(pPipe);
    return sums;
}

// The one file a tool left in sDir; empty when there is none or more.
std::string OnlyFileIn(const std::string &sDir)
{
    std::string sFound;
    int iCount = 0;
    FILE *pPipe = ::popen(("find '" + sDir + "' -maxdepth 1 -type f").c_str(), "r");
    char line[4096];
    while (pPipe && std::fgets(line, sizeof line, pPipe)) {
        sFound = line;
        sFound.pop_back();
        ++iCount;
    }
    if (pPipe)
        ::pclose(pPipe);
    return iCount == 1 ? sFound : std::string();
}

struct Tool
{
    std::string sName;
    std::vector<std::string> args; // with OUT for the output folder, URL for the address
    std::string sMissing;          // the program that is not installed, if any
};

struct Result
{
    bench::Run run;
    long lRequests = 0;
    long long llBytes = 0;
    std::vector<std::string> sums;
};

} // namespace

int main(int argc, char **argv)
{
    const Options options(argc, argv, "/tmp/clipvane-stream-bench");
    const int iSeconds = options.Other("--seconds").empty() ? 60 : std::atoi(options.Other("--seconds").c_str());
    const double dRateKiB = options.Other("--rate-kib").empty() ? 256 : std::atof(options.Other("--rate-kib").c_str());
    const std::string sStream = options.sDir + "/stream-" + std::to_string(iSeconds) + "s";
    if (OnPath("ffmpeg").empty()) {
        std::fprintf(stderr, "ffmpeg is not installed: it makes the stream and checks the files\n");
        return 1;
    }
    if (!MakeStream(sStream, iSeconds)) {
        std::fprintf(stderr, "cannot make the stream under %s\n", sStream.c_str());
        return 1;
    }

    PacedServer server(sStream, dRateKiB * 1024);
    const int iPort = server.Start();
    if (iPort == 0)
        return 1;
    const std::string sUrl = "http://127.0.0.1:" + std::to_string(iPort) + "/master.m3u8";
    const std::string sSelf = argv[0];
    const std::string sGet = sSelf.substr(0, sSelf.rfind('/') + 1) + "../src/app/clipvane-get";

    // ffmpeg first: the others are compared with it.
    std::vector<Tool> tools{
        {"ffmpeg", {"ffmpeg", "-nostdin", "-loglevel", "error", "-i", "URL", "-c", "copy", "OUT/out.mp4"}, {}},
        {"yt-dlp", {"yt-dlp", "--quiet", "--concurrent-fragments", "6", "-o", "OUT/out.%(ext)s", "URL"}, {}},
        {"clipvane-get", {sGet, "--skip-connection-check", "--any-site", "--quality", "best", "--dir", "OUT", "URL"}, {}}};
    for (Tool &tool : tools) {
        if (tool.args[0].find('/') == std::string::npos ? OnPath(tool.args[0]).empty() : !Exists(tool.args[0]))
            tool.sMissing = tool.args[0];
    }

    std::map<std::string, std::vector<Result>> results;
    for (int iRun = 0; iRun < options.iRuns; ++iRun) {
        for (const Tool &tool : tools) {
            if (!tool.sMissing.empty())
                continue;
            const std::string sWork = options.sDir + "/run-" + tool.sName;
            const std::string sOut = sWork + "/out";
            Shell("rm -rf '" + sWork + "' && mkdir -p '" + sOut + "' '" + sWork + "/home'");
            // A home of its own: no settings, caches or lists of the user's.
            std::vector<std::string> args{"env", "HOME=" + sWork + "/home",
                                          "XDG_CONFIG_HOME=" + sWork + "/home/.config",
                                          "XDG_DATA_HOME=" + sWork + "/home/.local/share",
                                          "XDG_CACHE_HOME=" + sWork + "/home/.cache"};
            for (std::string sArg : tool.args) {
                if (sArg == "URL")
                    sArg = sUrl;
                else if (sArg.starts_with("OUT"))
                    sArg = sOut + sArg.substr(3);
                args.push_back(sArg);
            }
            server.Take();
            Result result;
            result.run = Measure(args);
            std::tie(result.lRequests, result.llBytes) = server.Take();
            const std::string sFile = OnlyFileIn(sOut);
            if (!sFile.empty())
                result.sums = PictureSums(sFile);
            results[tool.sName].push_back(result);
            Shell("rm -rf '" + sWork + "'");
            std::fprintf(stderr, "run %d %-12s %s %7.2f s\n", iRun + 1, tool.sName.c_str(),
                         result.run.bOk ? "ok  " : "FAIL", result.run.dSeconds);
        }
    }

    const auto median = [&](const std::string &sName, double (*field)(const Result &)) {
        std::vector<double> values;
        for (const Result &result : results[sName])
            values.push_back(field(result));
        return values.empty() ? 0.0 : Median(values);
    };
    const auto wall = [&](const std::string &sName) {
        return median(sName, [](const Result &r) { return r.run.dSeconds; });
    };
    const auto cpu = [&](const std::string &sName) {
        return median(sName, [](const Result &r) { return r.run.dCpuSeconds; });
    };
    const auto ratio = [](double dValue, double dReference) {
        char text[16];
        if (dReference > 0)
            std::snprintf(text, sizeof text, "%.2f", dValue / dReference);
        else
            std::snprintf(text, sizeof text, "-");
        return std::string(text);
    };
    const std::vector<std::string> &reference =
        results["ffmpeg"].empty() ? std::vector<std::string>() : results["ffmpeg"].front().sums;

    std::printf("stream: %d s, 2 variants (360p, 720p), AES-128, segments of 3 s; each connection "
                "at most %.0f KiB/s; medians of %d run(s)\n\n",
                iSeconds, dRateKiB, options.iRuns);
    std::printf("| tool         | wall s | CPU s | requests | MB sent | wall / ffmpeg | wall / yt-dlp "
                "| CPU / yt-dlp | pictures | video = ffmpeg's | exit |\n"
                "|--------------|--------|-------|----------|---------|---------------|---------------"
                "|--------------|----------|------------------|------|\n");
    for (const Tool &tool : tools) {
        if (!tool.sMissing.empty()) {
            std::printf("| %-12s | skipped: %s is not installed |\n", tool.sName.c_str(), tool.sMissing.c_str());
            continue;
        }
        const std::vector<Result> &runs = results[tool.sName];
        bool bSame = !reference.empty(), bOk = true;
        for (const Result &result : runs) {
            bSame = bSame && result.sums == reference;
            bOk = bOk && result.run.bOk;
        }
        std::printf("| %-12s | %6.2f | %5.2f | %8ld | %7.2f | %13s | %13s | %12s | %8zu | %-16s | %-4s |\n",
                    tool.sName.c_str(), wall(tool.sName), cpu(tool.sName), runs.front().lRequests,
                    double(runs.front().llBytes) / 1e6, ratio(wall(tool.sName), wall("ffmpeg")).c_str(),
                    ratio(wall(tool.sName), wall("yt-dlp")).c_str(),
                    ratio(cpu(tool.sName), cpu("yt-dlp")).c_str(), runs.front().sums.size(),
                    tool.sName == "ffmpeg" ? (reference.empty() ? "no pictures" : "(reference)")
                                           : (bSame ? "yes" : "NO"),
                    bOk ? "0" : "fail");
    }

    std::printf("\ngoal: clipvane-get wall <= 0.3 x ffmpeg's and <= yt-dlp's, CPU <= yt-dlp's\n");
    if (!results["clipvane-get"].empty()) {
        const double dWall = wall("clipvane-get"), dCpu = cpu("clipvane-get");
        if (!results["ffmpeg"].empty())
            std::printf("  wall <= 0.3 x ffmpeg's: %s\n", dWall <= 0.3 * wall("ffmpeg") ? "met" : "MISSED");
        if (!results["yt-dlp"].empty()) {
            std::printf("  wall <= yt-dlp's:       %s\n", dWall <= wall("yt-dlp") ? "met" : "MISSED");
            std::printf("  CPU <= yt-dlp's:        %s\n", dCpu <= cpu("yt-dlp") ? "met" : "MISSED");
        }
    }
    return 0;
}
