#pragma once

#include <QString>

#include <memory>

#include "sites/ytdlpinfo.h"

class YtDlpRunner;
struct ProgramSettings;

// Asks yt-dlp what an address of no supported site holds, as the settings
// say (which program, the quality, cookies, whether a list of videos is
// wanted whole), and reads its answer.
class YtDlpExtractor
{
public:
    enum class Outcome {
        NotTried,  // switched off, or no yt-dlp to be found
        Found,     // Info holds what it said
        Failed,    // Reason says why
        Cancelled,
    };

    YtDlpExtractor();
    ~YtDlpExtractor();

    // Runs yt-dlp on sAddress; events are processed meanwhile.
    Outcome Extract(const QString &sAddress, const ProgramSettings &settings);
    // Ends a running Extract at once (its process group with it).
    void Cancel();

    const YtDlpInfo &Info() const { return m_info; }
    QString Reason() const { return m_sReason; }
    // yt-dlp knows no extractor for the address: the page is for the rule
    // for any page alone, and what yt-dlp said of it tells nothing.
    bool Unsupported() const { return m_bUnsupported; }

private:
    std::unique_ptr<YtDlpRunner> m_runner;
    YtDlpInfo m_info;
    QString m_sReason;
    bool m_bUnsupported = false;
};
