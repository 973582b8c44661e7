#pragma once

#include <QWidget>

#include <memory>

#include "core/skinvariables.h"
#include "gui/widgetmessagebox.h"

class ClipboardMonitor;
class ClipboardPoller;
class DownloadGrid;
class DownloadSession;
class HandOverEndpoint;
class QCheckBox;
class QComboBox;
class SettingsStore;
class QLineEdit;
class QPushButton;

// The main window: where the subsystems meet. It owns their objects, wires
// them together and keeps only its own control handlers.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    DownloadSession &Session() const { return *m_session; }
    ClipboardMonitor &Monitor() const { return *m_monitor; }
    SettingsStore &Settings() const { return *m_settingsStore; }

private:
    void cmdAdd2List_Click();
    void cmdStartDownload_Click();

    QLineEdit *txtURL;
    QPushButton *cmdAdd2List;
    QComboBox *cmbSite;
    QPushButton *cmdStartDownload;
    DownloadGrid *m_pDownloadGrid;

    WidgetMessageBox m_messageBox;
    SkinVariables m_skin;
    std::unique_ptr<DownloadSession> m_session;

    // The clipboard: the watcher's hand-over, and the hidden check box's poll.
    QCheckBox *chkMonitor;
    std::unique_ptr<HandOverEndpoint> m_txtMonitor;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<ClipboardPoller> m_poller;
    std::unique_ptr<SettingsStore> m_settingsStore;
    void WireClipboardAndSettings();
};
