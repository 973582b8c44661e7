// clipvane-clip: watches the desktop clipboard for the program and hands it
// every copied text that is one address the program wants. Shows nothing.
//
//   clipvane-clip NUMBER   watch for the program whose endpoint carries NUMBER
//   clipvane-clip Exit     end the running watcher

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>

#include "clip/clipboardforwarder.h"
#include "clip/cliplog.h"
#include "clip/watcherslot.h"
#include "core/cliphandover.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotWatching = 1;
constexpr int kExitUsage = 2;

// Picks the X display (through XWayland on a Wayland desktop): there any
// program may follow the clipboard, where a Wayland client without focus
// sees nothing. False when there is nothing to watch.
bool ChoosePlatform()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!qEnvironmentVariableIsEmpty("DISPLAY")
        && (platform.isEmpty() || platform.startsWith("wayland"))) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    return !platform.isEmpty() && !platform.startsWith("wayland");
}

int Watch(int argc, char *argv[], qint64 iNumber)
{
    if (!ChoosePlatform()) {
        qCWarning(lcClip, "Not watching: no X display");
        return kExitNotWatching;
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);

    ClipboardForwarder forwarder(*QGuiApplication::clipboard());
    // Served nobody: a watcher for a program that is gone must not take the
    // place of one that serves a running program.
    if (!forwarder.ConnectToProgram(iNumber))
        return kExitNotWatching;
    WatcherSlot slot;
    if (!slot.Claim())
        return kExitNotWatching;

    QObject::connect(&slot, &WatcherSlot::EndRequested, &app, [&] {
        forwarder.Stop();
        QCoreApplication::quit();
    });
    QObject::connect(&forwarder, &ClipboardForwarder::ProgramGone, &app, [&] {
        forwarder.Stop();
        QCoreApplication::quit();
    });
    forwarder.Start();
    return app.exec() == 0 ? kExitOk : kExitNotWatching;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return kExitUsage;
    const QByteArray argument(argv[1]);
    if (argument == ClipHandOver::kExitArgument) {
        QCoreApplication app(argc, argv);
        WatcherSlot::EndRunningWatcher();
        return kExitOk;
    }
    const bool bDigits = !argument.isEmpty()
                         && std::all_of(argument.begin(), argument.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
    bool bNumber = false;
    const qint64 iNumber = argument.toLongLong(&bNumber);
    if (!bDigits || !bNumber)
        return kExitUsage;
    return Watch(argc, argv, iNumber);
}
