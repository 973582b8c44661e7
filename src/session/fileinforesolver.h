#pragma once

#include <QString>
#include <QtGlobal>

class Download;

// What the program will call a remote file locally, and how large it is.
struct FileInfo
{
    QString FileName; // without directory
    QString FileSize; // a size text, or "0" for a confirmed file of unknown size
};

// Names the local file of a resolved video-file address from the server's
// suggestion or from the address itself, with the per-site extension and
// length rules, and asks the server for the size.
class FileInfoResolver
{
public:
    explicit FileInfoResolver(Download &download) : m_download(download) {}

    // Leaves the transfer control's Url set to sLink.
    FileInfo GetFileInfo(const QString &sLink, qint16 iSite);

private:
    Download &m_download;
};
