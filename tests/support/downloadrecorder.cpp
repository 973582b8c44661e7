#include "downloadrecorder.h"

#include <QObject>

#include "net/download.h"

DownloadRecorder::DownloadRecorder(Download &download)
{
    QObject::connect(&download, &Download::DownloadProgress, &download, [this](qint64 lProgress) {
        events << QStringLiteral("P%1").arg(lProgress);
        if (onProgress)
            onProgress(lProgress);
    });
    QObject::connect(&download, &Download::DownloadComplete, &download,
                     [this] { events << QStringLiteral("C"); });
    QObject::connect(&download, &Download::DownloadError, &download,
                     [this](const QString &sText) { events << QStringLiteral("E:") + sText; });
    QObject::connect(&download, &Download::DownloadCancelled, &download,
                     [this](qint64 lPosition) { events << QStringLiteral("X%1").arg(lPosition); });
}
