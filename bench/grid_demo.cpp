// Shows the main window during a real, slow transfer from 127.0.0.1, so the
// grid can be looked at (or photographed) with a progress bar in it. A page of
// one supported site embeds a 2 MiB file that the server trickles out over
// about 13 seconds; two more items (the same video again, and a page of no
// supported site) wait behind it. The program ends a few
// seconds after the run, with the finished item selected and the next one's
// file name open for typing.
//
//   grid_demo            (under a display, or QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include "gui/downloadgrid.h"
#include "gui/frmmain.h"
#include "list/downloadviewmodel.h"
#include "httptestserver.h"
#include "list/urladder.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "settings/programsettings.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    HttpTestServer server;
    if (!server.Start())
        return 1;
    HttpTestServer::Response file = HttpTestServer::Ok(QByteArray(2 << 20, 'v'), "video/x-flv");
    file.trickleBytes = 16 * 1024;
    file.trickleIntervalMs = 100;
    server.SetRoute(QStringLiteral("/files/holiday.flv"), file);
    const HttpTestServer::Response page =
        HttpTestServer::Ok(QByteArray("<html><embed src=\"")
                               + server.Url(QStringLiteral("/files/holiday.flv")).toLatin1()
                               + "\" width=400></html>",
                           "text/html");
    server.SetRoute(QStringLiteral("/angryalien.com/holiday.html"), page);
    server.SetRoute(QStringLiteral("/angryalien.com/holiday.html?again"), page);

    QTemporaryDir downloads;
    QTemporaryDir scratch;
    frmMain window;
    DownloadSession &session = window.Session();
    session.Settings().sDownloadDir = downloads.path();
    session.Pages().SetScratchDir(scratch.path());
    session.Queue().SetConnectivityTest([] { return true; });
    session.Adder().AddURL(server.Url(QStringLiteral("/angryalien.com/holiday.html")));
    session.Adder().AddURL(server.Url(QStringLiteral("/angryalien.com/holiday.html?again")));
    session.Adder().AddURL(server.Url(QStringLiteral("/elsewhere/page.html")));
    window.show();

    QTimer::singleShot(500, &window, [&] {
        session.Queue().cmdStartDownload_Click();
        // Afterwards: the finished item selected, and the next one's name
        // open for typing.
        auto *grid = window.findChild<DownloadGrid *>(QStringLiteral("DownloadGrid"));
        const QModelIndex name = grid->model()->index(1, DownloadViewModel::colFileName);
        grid->setCurrentIndex(name);
        grid->SetRowSelected(0);
        grid->setFocus();
        grid->edit(name);
        QTimer::singleShot(4000, &app, &QCoreApplication::quit);
    });
    return app.exec();
}
