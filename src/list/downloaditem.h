#pragma once

#include <QString>
#include <QtGlobal>

// One entry of the download list. ID is always the item's position + 1.
struct DownloadItem
{
    qint16 ID = 0;
    QString Video_URL;
    QString FileName;
    QString Status;
    QString FileSize;
};
