#include "cli/getcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <optional>
#include <unistd.h>

#include "cli/clilog.h"
#include "cli/consolemessagebox.h"
#include "cli/statusprinter.h"
#include "core/skinvariables.h"
#include "core/terminationsignals.h"
#include "desktop/sleepinhibitor.h"
#include "list/downloadliststore.h"
#include "list/urladder.h"
#include "net/ratebudget.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "session/runpresenter.h"
#include "session/transferretry.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"
#include "sites/ytdlparguments.h"
#include "sites/ytdlpinfo.h"
#include "streams/streamquality.h"

namespace {

QString Explain(PageRetriever::LinkResult result)
{
    switch (result) {
    case PageRetriever::LinkResult::NoSite:
        return QCoreApplication::translate("GetCommand", "no supported site in the address");
    case PageRetriever::LinkResult::FetchFailed:
        return QCoreApplication::translate("GetCommand", "the page could not be fetched");
    case PageRetriever::LinkResult::NoAddress:
    case PageRetriever::LinkResult::Address:
        break;
    }
    return QCoreApplication::translate("GetCommand", "no video address found in the page");
}

// A usage error on standard error, with the hint to --help where it helps.
void UsageError(const QString &sProblem, bool bHint)
{
    std::fprintf(stderr, "clipvane-get: %s\n", sProblem.toLocal8Bit().constData());
    if (bHint) {
        std::fprintf(stderr, "%s\n",
                     QCoreApplication::translate("GetCommand", "Try 'clipvane-get --help'.")
                         .toLocal8Bit()
                         .constData());
    }
}

} // namespace

int GetCommand::Run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Downloads the videos of the given page addresses, one after the other, into the "
           "download directory. Progress goes to standard error; when the run ends, one line "
           "per item goes to standard output: ID, Status, FileName, FileSize and Video_URL, "
           "separated by tabs. Exit status: 0 when every item is Complete (or, with "
           "--print-url, every address resolved), 1 otherwise, 2 for a usage error."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dirOption(QStringList{QStringLiteral("d"), QStringLiteral("dir")},
                                       tr("Download into <DIR> instead of the download "
                                          "directory setting."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption printUrlOption(
        QStringLiteral("print-url"),
        tr("Only find each page's video address and print it (or the result code and why); "
           "download nothing."));
    const QCommandLineOption skipCheckOption(
        QStringLiteral("skip-connection-check"),
        tr("Start even when no network interface but loopback is up (for servers on this "
           "machine)."));
    const QCommandLineOption anySiteOption(
        QStringLiteral("any-site"),
        tr("Also find the video on pages of sites that are not supported, and take addresses of "
           "video files themselves (the window's setting does not apply here)."));
    const QCommandLineOption retriesOption(
        QStringLiteral("retries"),
        tr("Try a transfer that breaks off, or that the server cannot serve for now, up to <N> "
           "more times (default %1; 0: one try only). What has arrived is kept in NAME.part, "
           "and each try, like a later run, asks only for the rest.")
            .arg(TransferRetry::kDefaultRetries),
        QStringLiteral("N"));
    const QCommandLineOption qualityOption(
        QStringLiteral("quality"),
        tr("Which quality of a stream to save: best, 1080, 720, 480 or smallest (default: the "
           "Quality setting)."),
        QStringLiteral("Q"));
    const QCommandLineOption fragmentsOption(
        QStringLiteral("fragments"),
        tr("Fetch up to <N> fragments of a stream at a time, 1 to 16 (default %1).")
            .arg(ProgramSettings().iFragments),
        QStringLiteral("N"));
    const QCommandLineOption noYtDlpOption(
        QStringLiteral("no-yt-dlp"),
        tr("With --any-site, read other sites' pages with the rule for any page "
           "alone, without asking yt-dlp."));
    const QCommandLineOption ytDlpOption(
        QStringLiteral("yt-dlp"),
        tr("The yt-dlp program to ask for the media of other sites' pages "
           "(default: the setting, else yt-dlp on PATH, else ~/.local/bin/yt-dlp)."),
        QStringLiteral("PATH"));
    const QCommandLineOption playlistOption(
        QStringLiteral("playlist"),
        tr("An address yt-dlp reports as a playlist adds each of its videos "
           "(at most %1) as an item of its own.")
            .arg(YtDlpInfo::kMaxEntries),
        QString());
    const QCommandLineOption browserCookiesOption(
        QStringLiteral("cookies-from-browser"),
        tr("Have yt-dlp use the cookies of browser <NAME>: %1.")
            .arg(YtDlpArguments::Browsers().join(QStringLiteral(", "))),
        QStringLiteral("NAME"));
    const QCommandLineOption cookiesOption(
        QStringLiteral("cookies"),
        tr("Have yt-dlp use the cookies in <FILE> (Netscape format)."),
        QStringLiteral("FILE"));
    const QCommandLineOption connectionsOption(
        QStringLiteral("connections"),
        tr("Fetch a file over up to <N> connections at once where its server serves "
           "ranges, 1 to 16 (default: the Connections per download setting, %1 at first).")
            .arg(ProgramSettings().iConnections),
        QStringLiteral("N"));
    const QCommandLineOption limitRateOption(
        QStringLiteral("limit-rate"),
        tr("Download at most <RATE> bytes per second, all connections together "
           "(500K, 2M; K and M are 1024 and 1024 x 1024). Default: the speed limit "
           "setting (none at first)."),
        QStringLiteral("RATE"));
    parser.addOption(dirOption);
    parser.addOption(retriesOption);
    parser.addOption(qualityOption);
    parser.addOption(fragmentsOption);
    parser.addOption(connectionsOption);
    parser.addOption(limitRateOption);
    parser.addOption(printUrlOption);
    parser.addOption(skipCheckOption);
    parser.addOption(anySiteOption);
    parser.addOption(noYtDlpOption);
    parser.addOption(ytDlpOption);
    parser.addOption(playlistOption);
    parser.addOption(browserCookiesOption);
    parser.addOption(cookiesOption);
    parser.addPositionalArgument(QStringLiteral("URL"), tr("Video page addresses."),
                                 QStringLiteral("URL..."));

    if (!parser.parse(arguments)) {
        UsageError(parser.errorText(), true);
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return kExitOk;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("clipvane-get %s\n", CLIPVANE_VERSION);
        return kExitOk;
    }
    const QStringList urls = parser.positionalArguments();
    if (urls.isEmpty()) {
        UsageError(tr("no address given"), true);
        return kExitUsage;
    }
    if (parser.isSet(dirOption) && parser.value(dirOption).isEmpty()) {
        UsageError(tr("--dir needs a directory"), false);
        return kExitUsage;
    }
    bool bRetriesNumber = true;
    const int iRetries = parser.isSet(retriesOption)
        ? parser.value(retriesOption).toInt(&bRetriesNumber)
        : TransferRetry::kDefaultRetries;
    if (!bRetriesNumber || iRetries < 0) {
        UsageError(tr("--retries needs a number of 0 or more"), false);
        return kExitUsage;
    }
    const auto quality = parser.isSet(qualityOption)
        ? StreamQuality::LimitFromText(parser.value(qualityOption))
        : std::optional<StreamQuality::Limit>();
    if (parser.isSet(qualityOption) && !quality) {
        UsageError(tr("--quality needs best, 1080, 720, 480 or smallest"), false);
        return kExitUsage;
    }
    bool bFragmentsNumber = true;
    const int iFragments = parser.isSet(fragmentsOption)
        ? parser.value(fragmentsOption).toInt(&bFragmentsNumber)
        : 0;
    if (parser.isSet(fragmentsOption) && (!bFragmentsNumber || iFragments < 1 || iFragments > 16)) {
        UsageError(tr("--fragments needs a number from 1 to 16"), false);
        return kExitUsage;
    }
    if (parser.isSet(browserCookiesOption)
        && !YtDlpArguments::Browsers().contains(parser.value(browserCookiesOption))) {
        UsageError(tr("--cookies-from-browser needs one of %1")
                       .arg(YtDlpArguments::Browsers().join(QStringLiteral(", "))),
                   false);
        return kExitUsage;
    }

    bool bConnectionsNumber = true;
    const int iConnections = parser.isSet(connectionsOption)
        ? parser.value(connectionsOption).toInt(&bConnectionsNumber)
        : 0;
    if (parser.isSet(connectionsOption)
        && (!bConnectionsNumber || iConnections < 1 || iConnections > 16)) {
        UsageError(tr("--connections needs a number from 1 to 16"), false);
        return kExitUsage;
    }
    const qint64 lRate =
        parser.isSet(limitRateOption) ? RateBudget::ParseRate(parser.value(limitRateOption)) : 0;
    if (lRate < 0) {
        UsageError(tr("--limit-rate needs a rate such as 500K or 2M"), false);
        return kExitUsage;
    }

    ConsoleMessageBox messageBox;
    SkinVariables skin;
    StatusPrinter printer(stderr, isatty(fileno(stderr)) != 0);
    DownloadSession session(printer, messageBox, skin);
    // The stored download directory, without starting a clipboard watcher.
    SettingsStore(session.Settings(), skin, nullptr).LoadSettings();
    if (parser.isSet(dirOption))
        session.Settings().sDownloadDir = QDir(parser.value(dirOption)).absolutePath();
    // A script's result must not hang on a check box in the window.
    session.Settings().bAnySite = parser.isSet(anySiteOption);
    session.Retry().SetRetries(iRetries);
    if (quality)
        session.Settings().sQuality = StreamQuality::TextOf(*quality);
    if (iFragments > 0)
        session.Settings().iFragments = iFragments;
    ProgramSettings &settings = session.Settings();
    settings.bUseYtDlp = !parser.isSet(noYtDlpOption);
    if (parser.isSet(ytDlpOption))
        settings.sYtDlpProgram = parser.value(ytDlpOption);
    settings.bPlaylistAll = parser.isSet(playlistOption);
    if (parser.isSet(browserCookiesOption))
        settings.sCookiesBrowser = parser.value(browserCookiesOption);
    if (parser.isSet(cookiesOption))
        settings.sCookiesFile = QDir(parser.value(cookiesOption)).absolutePath();
    if (iConnections > 0)
        settings.iConnections = iConnections;
    if (parser.isSet(limitRateOption))
        settings.lSpeedLimit = lRate;
    if (parser.isSet(skipCheckOption))
        session.Queue().SetConnectivityTest([] { return true; });

    qCDebug(lcCli, "%d address(es), files into %s", static_cast<int>(urls.size()),
            qPrintable(session.Settings().sDownloadDir));
    if (parser.isSet(printUrlOption))
        return PrintUrls(session, urls);
    return DownloadAll(session, printer, urls);
}

int GetCommand::PrintUrls(DownloadSession &session, const QStringList &urls)
{
    int iExit = kExitOk;
    for (const QString &sUrl : urls) {
        const QString sLink = session.Pages().GetDownloadLink(sUrl);
        const PageRetriever::LinkResult result = PageRetriever::Classify(sLink);
        if (result != PageRetriever::LinkResult::Address) {
            std::printf("%s\t%s\n", qPrintable(sLink), qPrintable(Explain(result)));
            iExit = kExitFailed;
        } else {
            std::printf("%s\n", sLink.toLocal8Bit().constData());
        }
        std::fflush(stdout);
    }
    return iExit;
}

int GetCommand::DownloadAll(DownloadSession &session, StatusPrinter &printer,
                            const QStringList &urls)
{
    for (const QString &sUrl : urls)
        session.Adder().AddURL(sUrl);

    // Ctrl+C stops the run the way a confirmed stop does: whatever the run
    // waits for is given up at once, and the item under way reads
    // "Cancelled". A second one ends the program at once.
    TerminationSignals terminationSignals;
    terminationSignals.Install();
    QObject::connect(&terminationSignals, &TerminationSignals::Received, &session.Queue(),
                     &DownloadQueue::StopRun);
    // A long list is not cut short by the machine going to sleep.
    SleepInhibitor inhibitor(QDBusConnection::SystemBus);
    QObject::connect(&session.Queue(), &DownloadQueue::RunStarted, &inhibitor, &SleepInhibitor::Hold);
    QObject::connect(&session.Queue(), &DownloadQueue::RunEnded, &inhibitor, &SleepInhibitor::Release);
    QObject::connect(&session.Presenter(), &RunPresenter::TransferChanged, &printer,
                     &StatusPrinter::ShowTransfer);
    QObject::connect(&session.Queue(), &DownloadQueue::ItemFailed,
                     [&printer](int iID, const QString &sReason) {
                         printer.Note(QStringLiteral("clipvane-get: [%1] %2").arg(iID).arg(sReason));
                     });

    session.Queue().cmdStartDownload_Click();
    printer.Finish();

    int iExit = kExitOk;
    for (const DownloadItem &item : std::as_const(session.ListStore().Items())) {
        std::printf("%d\t%s\t%s\t%s\t%s\n", item.ID, item.Status.toLocal8Bit().constData(),
                    item.FileName.toLocal8Bit().constData(),
                    item.FileSize.toLocal8Bit().constData(),
                    item.Video_URL.toLocal8Bit().constData());
        if (item.State() != ItemState::Complete)
            iExit = kExitFailed;
    }
    std::fflush(stdout);
    return iExit;
}
