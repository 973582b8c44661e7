#pragma once

#include <QString>

class DownloadListStore;
class RunState;

// The one way a page address enters the download list.
class UrlAdder
{
public:
    UrlAdder(DownloadListStore &store, RunState &run);

    // Lists the address (once) with the texts that say whether its site is
    // supported, rebuilds the view and, during a run, finds the current row
    // again. The address is stored exactly as given.
    void AddURL(const QString &sURL);

private:
    DownloadListStore &m_store;
    RunState &m_run;
};
