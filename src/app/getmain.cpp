// clipvane-get: the download list and queue without a window.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "cli/consolemessagebox.h"
#include "session/downloadsession.h"
#include "core/skinvariables.h"
#include "cli/statusprinter.h"
#include "list/downloadliststore.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "session/pageretriever.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"
#include "session/downloadqueue.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

volatile std::sig_atomic_t g_bInterrupted = 0;

void OnInterrupt(int)
{
    g_bInterrupted = 1;
}

QString Explain(const QString &sCode)
{
    if (sCode == QLatin1String("-1"))
        return QStringLiteral("no supported site in the address");
    if (sCode == QLatin1String("-2"))
        return QStringLiteral("the page could not be fetched");
    return QStringLiteral("no video address found in the page");
}

int PrintUrls(DownloadSession &session, const QStringList &urls)
{
    int iExit = kExitOk;
    for (const QString &sUrl : urls) {
        const QString sLink = session.Pages().GetDownloadLink(sUrl);
        if (sLink == QLatin1String("-1") || sLink == QLatin1String("-2")
            || sLink == QLatin1String("0")) {
            std::printf("%s\t%s\n", qPrintable(sLink), qPrintable(Explain(sLink)));
            iExit = kExitFailed;
        } else {
            std::printf("%s\n", sLink.toLocal8Bit().constData());
        }
        std::fflush(stdout);
    }
    return iExit;
}

int DownloadAll(DownloadSession &session, StatusPrinter &printer, const QStringList &urls)
{
    for (const QString &sUrl : urls)
        session.Adder().AddURL(sUrl);

    // Ctrl+C stops the run the way a confirmed stop does: the transfer under
    // way ends at its next block and its item reads "Cancelled".
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    QTimer interruptWatch;
    interruptWatch.setInterval(100);
    QObject::connect(&interruptWatch, &QTimer::timeout, [&session] {
        if (g_bInterrupted)
            session.Run().bStopRequested = true;
    });
    interruptWatch.start();

    session.Queue().cmdStartDownload_Click();
    printer.Finish();

    int iExit = kExitOk;
    for (const DownloadItem &item : std::as_const(session.ListStore().DownloadList)) {
        std::printf("%d\t%s\t%s\t%s\t%s\n", item.ID, item.Status.toLocal8Bit().constData(),
                    item.FileName.toLocal8Bit().constData(),
                    item.FileSize.toLocal8Bit().constData(),
                    item.Video_URL.toLocal8Bit().constData());
        if (item.Status != QLatin1String("Complete"))
            iExit = kExitFailed;
    }
    std::fflush(stdout);
    return iExit;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("clipvane-get"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CLIPVANE_VERSION));

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
    parser.addOption(dirOption);
    parser.addOption(printUrlOption);
    parser.addOption(skipCheckOption);
    parser.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("Video page addresses."),
                                 QStringLiteral("URL..."));

    if (!parser.parse(QCoreApplication::arguments())) {
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

    ConsoleMessageBox messageBox;
    SkinVariables skin;
    StatusPrinter printer(stderr, isatty(fileno(stderr)) != 0);
    DownloadSession session(printer, messageBox, skin);
    // The stored download directory, without starting a clipboard watcher.
    SettingsStore(session.Settings(), skin, nullptr).LoadSettings();
    if (parser.isSet(dirOption))
        session.Settings().sDownloadDir = QDir(parser.value(dirOption)).absolutePath();
    if (parser.isSet(skipCheckOption))
        session.Queue().SetConnectivityTest([] { return true; });

    if (parser.isSet(printUrlOption))
        return PrintUrls(session, urls);
    return DownloadAll(session, printer, urls);
}
