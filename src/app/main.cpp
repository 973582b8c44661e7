#include <QApplication>
#include <QCommandLineParser>

#include <string_view>

#include "core/terminationsignals.h"
#include "core/uilanguage.h"
#include "gui/fontpreload.h"
#include "gui/frmmain.h"
#include "gui/skinhost.h"
#include "list/downloadlistfile.h"
#include "monitor/singleinstance.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"

namespace {

// The window's command line. Returns the option that skips the connection check.
QCommandLineOption DescribeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Downloads the videos of video pages. Addresses given here are added to the "
                "download list; when the program already runs, they are handed to it."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption skipCheckOption(
        QStringLiteral("skip-connection-check"),
        QCoreApplication::translate("main", "Start downloading even when no network interface "
                                            "but loopback is up (for servers on this machine)."));
    parser.addOption(skipCheckOption);
    parser.addPositionalArgument(QStringLiteral("URL"),
                                 QCoreApplication::translate("main", "Video page addresses."),
                                 QStringLiteral("[URL...]"));
    return skipCheckOption;
}

// --help and --version only print, so they must work where no display is:
// the QApplication would fail before the parser saw them. --help-all stays
// with the QApplication, whose display options it lists.
bool OnlyPrints(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "-v" || arg == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Clipvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CLIPVANE_VERSION));
    if (OnlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        UiLanguage::Install(app);
        QCommandLineParser parser;
        DescribeCommandLine(parser);
        // Prints the text (or the usage error) and ends the program.
        parser.process(app);
        return 0;
    }

    FontPreload::Start();
    // The skin draws in software unless the user chose a Qt Quick backend.
    SkinHost::SelectRenderer();
    QApplication app(argc, argv);
    UiLanguage::Install(app);
    QApplication::setDesktopFileName(QStringLiteral("clipvane"));
    // Hidden in the tray is not ended: only EndMe ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    const QCommandLineOption skipCheckOption = DescribeCommandLine(parser);
    parser.process(app);
    const QStringList addresses = parser.positionalArguments();
    // After the parser, which may end the program with exit(): the fonts'
    // thread must not be left inside Qt while the program's statics go.
    const FontPreload::ApplicationScope fontDatabaseLoad;

    // One program per user: a later start hands its addresses over and ends.
    // When the running one cannot be reached, this one runs on its own.
    SingleInstance instance;
    // The window reads its kept list before it can take addresses, and
    // that turns the event loop: hand-overs wait for it.
    instance.Hold();
    if (!instance.Claim()) {
        if (instance.HandOver(addresses))
            return 0;
        // The running program refused: it is ending, and this one takes its
        // place.
        instance.Claim();
    }

    frmMain window(nullptr, nullptr, DownloadListFile::DefaultPath());
    if (parser.isSet(skipCheckOption))
        window.Session().Queue().SetConnectivityTest([] { return true; });
    QObject::connect(&instance, &SingleInstance::AddressesReceived, &window,
                     &frmMain::HandOverReceived);
    // An ending program takes no more addresses: a later start runs instead.
    QObject::connect(&window, &frmMain::Ending, &app, [&instance] {
        instance.Release();
        QCoreApplication::exit(0);
    });
    // Terminated from outside, the program ends as a confirmed exit ends it.
    TerminationSignals terminationSignals;
    terminationSignals.Install();
    QObject::connect(&terminationSignals, &TerminationSignals::Received, &window,
                     &frmMain::EndWithoutAsking);
    window.show();
    window.TakeAddresses(addresses);
    instance.Deliver();
    return app.exec();
}
