#pragma once

#include <QString>
#include <QStringView>

class DownloadListStore;
class RunState;

// The one way a page address enters the download list.
class UrlAdder
{
public:
    UrlAdder(DownloadListStore &store, RunState &run);

    // Lists the address (once) with the texts that say whether it can be
    // downloaded, rebuilds the view and, during a run, finds the current row
    // again. The address is stored exactly as given, and counts as listed
    // already when the list has it with or without white space around it.
    void AddURL(const QString &sURL);

    // While *pbAnySite is true, any web address counts as supported; unset,
    // only the supported sites' do.
    void FollowAnySite(const bool *pbAnySite) { m_pbAnySite = pbAnySite; }

    // Whether an item's page address is sAddress, white space around it aside.
    bool IsListed(QStringView sAddress) const;

private:

    DownloadListStore &m_store;
    RunState &m_run;
    const bool *m_pbAnySite = nullptr;
};
