#pragma once

#include <QWidget>

#include <memory>

#include "core/skinvariables.h"
#include "gui/widgetmessagebox.h"

class ClipboardMonitor;
class ClipboardPoller;
class DownloadGrid;
class DownloadSession;
class FileNameEditor;
class ListCommands;
class HandOverEndpoint;
class QCheckBox;
class QComboBox;
class SettingsStore;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QVariant;

// The main window: where the subsystems meet. It owns their objects, wires
// them together and keeps only its own control handlers.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    DownloadSession &Session() const { return *m_session; }
    // The list editing commands, also for front ends without the buttons.
    ListCommands &Commands() const { return *m_commands; }
    FileNameEditor &FileNames() const { return *m_fileNames; }
    ClipboardMonitor &Monitor() const { return *m_monitor; }
    SettingsStore &Settings() const { return *m_settingsStore; }

private:
    void cmdAdd2List_Click();
    void cmdStartDownload_Click();
    void cmdSelectAll_Click();
    void cmdRemoveSelected_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void cmdClear_Click();
    void DownloadGrid_BeforeCellUpdate(const QModelIndex &cell, const QVariant &vNewValue,
                                       bool *pbCancel);
    void DownloadGrid_AfterCellUpdate(const QModelIndex &cell);
    void CreateListEditing();

    QLineEdit *txtURL;
    QPushButton *cmdAdd2List;
    QComboBox *cmbSite;
    QPushButton *cmdStartDownload;
    DownloadGrid *m_pDownloadGrid;
    QPushButton *cmdSelectAll = nullptr;
    QPushButton *cmdRemoveSelected = nullptr;
    QPushButton *cmdUp = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdClear = nullptr;

    WidgetMessageBox m_messageBox;
    SkinVariables m_skin;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<ListCommands> m_commands;
    std::unique_ptr<FileNameEditor> m_fileNames;

    // The clipboard: the watcher's hand-over, and the hidden check box's poll.
    QCheckBox *chkMonitor;
    std::unique_ptr<HandOverEndpoint> m_txtMonitor;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<ClipboardPoller> m_poller;
    std::unique_ptr<SettingsStore> m_settingsStore;
    void WireClipboardAndSettings();
};
