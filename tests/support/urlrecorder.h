#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Stands in for the desktop's browser (QDesktopServices::setUrlHandler):
// records what the program asked it to open.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void Open(const QUrl &url) { opened << url; }
};
