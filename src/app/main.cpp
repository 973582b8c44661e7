#include <QApplication>
#include <QCommandLineParser>

#include "gui/frmmain.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Clipvane"));
    QApplication::setApplicationVersion(QStringLiteral(CLIPVANE_VERSION));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption skipCheckOption(
        QStringLiteral("skip-connection-check"),
        QStringLiteral("Start downloading even when no network interface but loopback is up "
                       "(for servers on this machine)."));
    parser.addOption(skipCheckOption);
    parser.process(app);

    frmMain window;
    if (parser.isSet(skipCheckOption))
        window.Session().Queue().SetConnectivityTest([] { return true; });
    window.show();
    return app.exec();
}
