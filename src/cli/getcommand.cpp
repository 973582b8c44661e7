#include "cli/getcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <unistd.h>

#include "cli/clilog.h"
#include "cli/consolemessagebox.h"
#include "cli/statusprinter.h"
#include "core/skinvariables.h"
#include "core/terminationsignals.h"
#include "list/downloadliststore.h"
#include "list/urladder.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "session/runpresenter.h"
#include "session/transferretry.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"
#include "streams/streamquality.h"

namespace {

QString Explain(PageRetriever::LinkResult result)
{
    switch (result) {
    case PageRetriever::LinkResult::NoSite:
        return QStringLiteral("no supported site in the address");
    case PageRetriever::LinkResult::FetchFailed:
        return QStringLiteral("the page could not be fetched");
    case PageRetriever::LinkResult::NoAddress:
    case PageRetriever::LinkResult::Address:
        break;
    }
    return QStringLiteral("no video address found in the page");
}

} // namespace

int GetCommand::Run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the videos of the given page addresses, one after the other, into the "
        "download directory. Progress goes to standard error; when the run ends, one line per "
        "item goes to standard output: ID, Status, FileName, FileSize and Video_URL, separated "
        "by tabs. Exit status: 0 when every item is Complete (or, with --print-url, every "
        "address resolved), 1 otherwise, 2 for a usage error."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dirOption(QStringList{QStringLiteral("d"), QStringLiteral("dir")},
                                       QStringLiteral("Download into <DIR> instead of the "
                                                      "download directory setting."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption printUrlOption(
        QStringLiteral("print-url"),
        QStringLiteral("Only find each page's video address and print it (or the result code "
                       "and why); download nothing."));
    const QCommandLineOption skipCheckOption(
        QStringLiteral("skip-connection-check"),
        QStringLiteral("Start even when no network interface but loopback is up (for servers "
                       "on this machine)."));
    const QCommandLineOption anySiteOption(
        QStringLiteral("any-site"),
        QStringLiteral("Also find the video on pages of sites that are not supported, and take "
                       "addresses of video files themselves (the window's setting does not "
                       "apply here)."));
    const QCommandLineOption retriesOption(
        QStringLiteral("retries"),
        QStringLiteral("Try a transfer that breaks off, or that the server cannot serve for "
                       "now, up to <N> more times (default %1; 0: one try only). What has "
                       "arrived is kept in NAME.part, and each try, like a later run, asks "
                       "only for the rest.")
            .arg(TransferRetry::kDefaultRetries),
        QStringLiteral("N"));
    const QCommandLineOption qualityOption(
        QStringLiteral("quality"),
        QStringLiteral("Which quality of a stream to save: best, 1080, 720, 480 or smallest "
                       "(default: the Quality setting)."),
        QStringLiteral("Q"));
    const QCommandLineOption fragmentsOption(
        QStringLiteral("fragments"),
        QStringLiteral("Fetch up to <N> fragments of a stream at a time, 1 to 16 (default %1).")
            .arg(ProgramSettings().iFragments),
        QStringLiteral("N"));
    parser.addOption(dirOption);
    parser.addOption(retriesOption);
    parser.addOption(qualityOption);
    parser.addOption(fragmentsOption);
    parser.addOption(printUrlOption);
    parser.addOption(skipCheckOption);
    parser.addOption(anySiteOption);
    parser.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("Video page addresses."),
                                 QStringLiteral("URL..."));

    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "clipvane-get: %s\nTry 'clipvane-get --help'.\n",
                     qPrintable(parser.errorText()));
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return kExitOk;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("clipvane-get %s\n", CLIPVANE_VERSION);
        return kExitOk;
    }
    const QStringList urls = parser.positionalArguments();
    if (urls.isEmpty()) {
        std::fprintf(stderr, "clipvane-get: no address given\nTry 'clipvane-get --help'.\n");
        return kExitUsage;
    }
    if (parser.isSet(dirOption) && parser.value(dirOption).isEmpty()) {
        std::fprintf(stderr, "clipvane-get: --dir needs a directory\n");
        return kExitUsage;
    }
    bool bRetriesNumber = true;
    const int iRetries = parser.isSet(retriesOption)
        ? parser.value(retriesOption).toInt(&bRetriesNumber)
        : TransferRetry::kDefaultRetries;
    if (!bRetriesNumber || iRetries < 0) {
        std::fprintf(stderr, "clipvane-get: --retries needs a number of 0 or more\n");
        return kExitUsage;
    }
    const auto quality = parser.isSet(qualityOption)
        ? StreamQuality::LimitFromText(parser.value(qualityOption))
        : std::optional<StreamQuality::Limit>();
    if (parser.isSet(qualityOption) && !quality) {
        std::fprintf(stderr, "clipvane-get: --quality needs best, 1080, 720, 480 or smallest\n");
        return kExitUsage;
    }
    bool bFragmentsNumber = true;
    const int iFragments = parser.isSet(fragmentsOption)
        ? parser.value(fragmentsOption).toInt(&bFragmentsNumber)
        : 0;
    if (parser.isSet(fragmentsOption) && (!bFragmentsNumber || iFragments < 1 || iFragments > 16)) {
        std::fprintf(stderr, "clipvane-get: --fragments needs a number from 1 to 16\n");
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
            const QString sWhy = session.Pages().LastReason();
            std::printf("%s\t%s\n", qPrintable(sLink),
                        qPrintable(sWhy.isEmpty() ? Explain(result) : sWhy));
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
    // waits for is given up within the watch's interval, and the item under
    // way reads "Cancelled". A second one ends the program at once.
    TerminationSignals terminationSignals;
    terminationSignals.Install();
    bool bInterrupted = false;
    QObject::connect(&terminationSignals, &TerminationSignals::Received,
                     [&bInterrupted] { bInterrupted = true; });
    QTimer interruptWatch;
    interruptWatch.setInterval(100);
    QObject::connect(&interruptWatch, &QTimer::timeout, [&session, &bInterrupted] {
        if (bInterrupted)
            session.Queue().StopRun();
    });
    interruptWatch.start();
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
