#pragma once

#include <QObject>
#include <QString>

class DownloadQueue;
class HandOverEndpoint;
class ISkin;
class RunState;
class UrlAdder;
struct ProgramSettings;

// Switches the clipboard watcher, a program of its own beside ours, and
// takes what it hands over: each copied address is listed, and one of a
// supported site starts the queue.
class ClipboardMonitor : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        HandOverEndpoint &txtMonitor;
        UrlAdder &adder;
        RunState &run;
        DownloadQueue &queue;
        ISkin &skin;
        ProgramSettings &settings;
    };

    explicit ClipboardMonitor(const Parts &parts, QObject *parent = nullptr);

    // Starts the watcher for our endpoint (as soon as the event loop turns),
    // or asks the running one to end.
    // A watcher that cannot be started is logged as a warning; one that
    // starts but cannot serve ends on its own, and nothing is watched.
    void Monitor(bool bState);
    void txtMonitor_Change();
    // What a handed-over text does: it is added, shown in the skin's address
    // field, and the queue starts when idle. Also for addresses that reach
    // the window by other ways (a later start of the program, a drop).
    void TakeAddress(const QString &sText);

    // The watcher program; the one shipped with the program (ProgramFiles)
    // unless set.
    void SetWatcherPath(const QString &sPath) { m_sWatcherPath = sPath; }
    QString WatcherPath() const;

private:
    // Lists the address and shows it in the skin's address field.
    void ListAddress(const QString &sText);
    // Starts the watcher program, detached, with its one argument.
    void StartWatcher(const QString &sArgument) const;

    HandOverEndpoint &m_txtMonitor;
    UrlAdder &m_adder;
    RunState &m_run;
    DownloadQueue &m_queue;
    ISkin &m_skin;
    ProgramSettings &m_settings;
    QString m_sWatcherPath;
    bool m_bStartPending = false;
};
