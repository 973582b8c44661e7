#pragma once

#include <QStringList>

#include <functional>

class Download;

// Writes down the signals of a Download in order, as short texts:
// "P<progress>", "C" (complete), "E:<text>" (error), "X<position>" (cancelled).
class DownloadRecorder
{
public:
    explicit DownloadRecorder(Download &download);

    QStringList events;
    // Runs inside each progress signal, after it was written down.
    std::function<void(qint64)> onProgress;
};
