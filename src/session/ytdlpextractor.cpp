#include "session/ytdlpextractor.h"

#include "session/queuelog.h"
#include "session/ytdlplocator.h"
#include "session/ytdlprunner.h"
#include "settings/programsettings.h"
#include "sites/ytdlparguments.h"

YtDlpExtractor::YtDlpExtractor()
    : m_runner(std::make_unique<YtDlpRunner>())
{
}

YtDlpExtractor::~YtDlpExtractor() = default;

void YtDlpExtractor::Cancel()
{
    m_runner->Cancel();
}

YtDlpExtractor::Outcome YtDlpExtractor::Extract(const QString &sAddress,
                                                const ProgramSettings &settings)
{
    m_info = YtDlpInfo();
    m_sReason.clear();
    m_bUnsupported = false;
    if (!settings.bUseYtDlp)
        return Outcome::NotTried;
    const QString sProgram = YtDlpLocator::Find(settings.sYtDlpProgram);
    if (sProgram.isEmpty()) {
        qCDebug(lcQueue, "No yt-dlp found for %s", qPrintable(sAddress));
        return Outcome::NotTried;
    }
    YtDlpArguments arguments;
    arguments.sAddress = sAddress;
    arguments.sQuality = settings.sQuality;
    arguments.bPlaylist = settings.bPlaylistAll;
    arguments.sCookiesFromBrowser = settings.sCookiesBrowser;
    arguments.sCookiesFile = settings.sCookiesFile;
    qCDebug(lcQueue, "%s %s", qPrintable(sProgram), qPrintable(arguments.List().join(u' ')));
    switch (m_runner->Run(sProgram, arguments.List())) {
    case YtDlpRunner::Result::Cancelled:
        return Outcome::Cancelled;
    case YtDlpRunner::Result::Failed:
        m_sReason = m_runner->ErrorString();
        m_bUnsupported = m_runner->LastErrorLine().startsWith(QLatin1StringView("Unsupported URL"));
        qCDebug(lcQueue, "yt-dlp found nothing in %s: %s", qPrintable(sAddress),
                qPrintable(m_sReason));
        return Outcome::Failed;
    case YtDlpRunner::Result::Finished:
        break;
    }
    m_info = YtDlpInfo::Read(m_runner->Output());
    if (!m_info.bRead) {
        m_sReason = m_info.sError;
        return Outcome::Failed;
    }
    return Outcome::Found;
}
