#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "list/downloaditem.h"

// The download list as the window keeps it between starts: one JSON document
// with each item's address, file name, Status, size, failure reason and,
// where its row shows something else, its page's address,
// replaced whole on every save so that a crash leaves the last complete list.
class DownloadListFile
{
public:
    explicit DownloadListFile(QString sPath);

    // downloadlist.json in Clipvane/ of the user's data directory
    // ($XDG_DATA_HOME, else ~/.local/share).
    static QString DefaultPath();

    const QString &Path() const { return m_sPath; }

    // A list is saved in two halves: the text, cheap, made where the items
    // are; the write, which waits for the disk, anywhere. The write is whole:
    // the file under its name is either the earlier list or this one. False,
    // with the reason, when it could not be written.
    static QByteArray Serialise(const QList<DownloadItem> &items);
    bool Write(const QByteArray &text, QString *pError = nullptr) const;

    struct Loaded
    {
        QList<DownloadItem> items;
        // Where a file that could not be read was moved to; empty when the
        // list was read or there was none. Moving it keeps it for the user
        // without it standing in the way of the next save.
        QString sSetAsideAs;
        // Why it could not be read.
        QString sProblem;
    };
    // Reads the kept list. An item that was on its way through a run when the
    // program ended comes back waiting, since its work was given up.
    Loaded Load() const;

private:
    QString SetAside() const;

    QString m_sPath;
};
