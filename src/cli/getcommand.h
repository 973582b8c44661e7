#pragma once

#include <QCoreApplication>
#include <QStringList>

class DownloadSession;
class StatusPrinter;

// clipvane-get: the download list and queue without a window. Reads the
// command line, runs the addresses through the queue (or only resolves them)
// and reports on standard output and standard error.
class GetCommand
{
    Q_DECLARE_TR_FUNCTIONS(GetCommand)

public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailed = 1;
    static constexpr int kExitUsage = 2;

    // Needs a QCoreApplication. Returns the process's exit status.
    int Run(const QStringList &arguments);

private:
    static int PrintUrls(DownloadSession &session, const QStringList &urls);
    static int DownloadAll(DownloadSession &session, StatusPrinter &printer,
                           const QStringList &urls);
};
