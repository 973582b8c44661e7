#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class DownloadQueue;
class ISkin;
class RunState;
class UrlAdder;
struct ProgramSettings;

// The second way of watching the clipboard: a poll every two seconds,
// switched by the hidden check box. Only addresses the program downloads
// are listed (see modDownload::IsWanted), and a text is taken once however
// long it stays on the clipboard. A supported site's address starts the
// queue; another site's waits for Start.
class ClipboardPoller : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        UrlAdder &adder;
        RunState &run;
        DownloadQueue &queue;
        ISkin &skin;
        ProgramSettings &settings;
    };

    // readClipboard gives the clipboard's plain text (empty when it holds
    // none); the window passes the desktop's, tests their own.
    ClipboardPoller(const Parts &parts, std::function<QString()> readClipboard,
                    QObject *parent = nullptr);

    void chkMonitor_Click();
    void tmrMonitor_Timer();

    QTimer tmrMonitor;
    QString sLastClipText;

private:
    UrlAdder &m_adder;
    RunState &m_run;
    DownloadQueue &m_queue;
    ISkin &m_skin;
    ProgramSettings &m_settings;
    std::function<QString()> m_readClipboard;
};
