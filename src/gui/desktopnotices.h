#pragma once

#include <QObject>
#include <QString>

#include <functional>

class DownloadListStore;
class DownloadQueue;
class FileManager;
class Notifier;
class QUrl;
class QWidget;
class SleepInhibitor;
struct ProgramSettings;

// What the desktop hears of the runs: a notification for each item that
// ends while the window is out of sight (hidden, minimised or not active)
// and for each run's end, as the setting allows; and no sleep while a run
// is on. A notification's "Open" and "Show in folder" act on its file.
class DesktopNotices : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        QWidget &window;
        DownloadQueue &queue;
        DownloadListStore &store;
        ProgramSettings &settings;
        Notifier &notifier;
        SleepInhibitor &inhibitor;
        FileManager &fileManager;
    };

    explicit DesktopNotices(const Parts &parts, QObject *parent = nullptr);

    // How a file or folder is opened (QDesktopServices unless set: tests).
    void SetOpener(std::function<void(const QUrl &)> open) { m_open = std::move(open); }

private:
    bool WindowOutOfSight() const;
    QString AddressOf(int iID) const;

    QWidget &m_window;
    DownloadListStore &m_store;
    ProgramSettings &m_settings;
    Notifier &m_notifier;
    FileManager &m_fileManager;
    std::function<void(const QUrl &)> m_open;
};
