#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "gui/skincommands.h"
#include "gui/widgetmessagebox.h"
#include "streams/streamquality.h"

class ClipboardMonitor;
class DesktopNotices;
class ClipboardPoller;
class DownloadGrid;
class DownloadSession;
class FileManager;
class FileNameEditor;
class HandOverEndpoint;
class ItemActions;
class IMessageBox;
class ListCommands;
class ListKeeper;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMimeData;
class QModelIndex;
class QPushButton;
class QSessionManager;
class QVariant;
class SettingsStore;
class SkinHost;
class SysTray;
class TrayController;
class WindowHooks;
class frmMenu;

// The main window: a frameless window filled by the skin, with the download
// grid laid over the skin's list area. The classic controls lie hidden
// beneath as the state holders and handlers the skin's commands reuse. It
// owns the subsystems' objects, wires them together, and brings the program
// up (Form_Load) and down (EndMe).
class frmMain : public QWidget
{
    Q_OBJECT

public:
    // pMessageBox: where questions go; the window's own message boxes when
    // null (tests answer them instead). sListFile: where the download list is
    // kept between starts; with none, the list lasts as long as the window.
    explicit frmMain(IMessageBox *pMessageBox = nullptr, QWidget *parent = nullptr,
                     const QString &sListFile = QString());
    ~frmMain() override;

    DownloadSession &Session() const { return *m_session; }
    // The list editing commands, also for front ends without the buttons.
    ListCommands &Commands() const { return *m_listCommands; }
    FileNameEditor &FileNames() const { return *m_fileNames; }
    ClipboardMonitor &Monitor() const { return *m_monitor; }
    SettingsStore &Settings() const { return *m_settingsStore; }
    SkinHost &Skin() const { return *Flash; }
    SysTray &Tray() const { return *m_pSysTray; }
    frmMenu *Menu() const { return m_pMenu.get(); }
    ItemActions &Actions() const { return *m_itemActions; }

    // Every command of the skin (and the tray menu's start/stop entry).
    bool Flash_FSCommand(const QString &sCommand, const QString &sArgs);

    // Addresses from outside the window (a later start of the program, a
    // dropped link): each is added as a copied address is.
    void TakeAddresses(const QStringList &addresses);
    // A later start of the program: the window comes back to the front,
    // whatever state it was left in, and takes that start's addresses.
    void HandOverReceived(const QStringList &addresses);

    // How the download directory is chosen: owner, prompt, the directory to
    // start in. The desktop's folder picker unless replaced (tests pick
    // without a dialog).
    using FolderPicker = std::function<QString(QWidget *, const QString &, const QString &)>;
    void SetFolderPicker(FolderPicker picker);

    bool ConfirmExit();
    void EndMe();
    // The end EndMe comes to once it may: whatever runs is given up at once
    // and the program ends without a question (a termination signal, the
    // session's last word, or a confirmed exit).
    void EndWithoutAsking();

Q_SIGNALS:
    // EndMe went through: the program ends now (main() quits on it).
    void Ending();

protected:
    void closeEvent(QCloseEvent *pEvent) override;
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

private:
    void CreateClassicControls();
    void CreateListEditing();
    void WireClipboardAndSettings();
    void RegisterSkinCommands();
    void Form_Load();
    void RestoreList();
    void InitWindow();
    // What may wait until the window's first frame is out: the icons and
    // the clipboard watcher.
    void FinishStart();
    void ShowDownloadGrid();
    void DragWindow();
    void MinimizeWindow();
    void HideToTray();
    void OpenHelp(const QString &sSection);
    void AddDownloadURL();
    // Starts or stops the clipboard watcher.
    void MonitorClipboard(bool bState);
    void SetMonitoring(bool bState);
    void SetAnySite(bool bState);
    // The yt-dlp settings of the Settings page.
    void SetYtDlpProgram();
    void SetPlaylistAll(bool bState);
    void NextCookiesBrowser();
    // Shows beside the program field the version of the yt-dlp found, or
    // "not found"; asked again when a program changes meanwhile.
    void ShowYtDlpVersion();
    void SetQuality(StreamQuality::Limit limit);
    void SetNotify(bool bState);
    // The Transfers card: connections a step at a time, the speed limit's
    // check box and its field.
    void StepConnections(int iStep);
    void SetSpeedLimitOn(bool bState);
    void SetSpeedLimit();
    void tmrend_Timer();
    void SessionEnding(QSessionManager &manager);

    void cmdAdd2List_Click();
    void cmdStartDownload_Click();
    void cmdBrowse_Click();
    void cmdSelectAll_Click();
    void cmdRemoveSelected_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void cmdClear_Click();
    void cmdRetry_Click();
    void DownloadGrid_BeforeCellUpdate(const QModelIndex &cell, const QVariant &vNewValue,
                                       bool *pbCancel);
    void DownloadGrid_AfterCellUpdate(const QModelIndex &cell);

    static QStringList AddressesIn(const QMimeData &mime);

    // Never seen: the parent of the classic controls.
    QWidget *m_pClassic;
    QLineEdit *txtURL;
    QPushButton *cmdAdd2List;
    QComboBox *cmbSite;
    QPushButton *cmdStartDownload;
    QPushButton *cmdBrowse;
    QPushButton *cmdSelectAll = nullptr;
    QPushButton *cmdRemoveSelected = nullptr;
    QPushButton *cmdUp = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdRetry = nullptr;
    QCheckBox *chkMonitor = nullptr;

    SkinHost *Flash;
    DownloadGrid *m_pDownloadGrid;
    SysTray *m_pSysTray;
    FileManager *m_fileManager = nullptr;
    ItemActions *m_itemActions = nullptr;
    DesktopNotices *m_notices = nullptr;
    QTimer tmrend;

    WidgetMessageBox m_widgetMessageBox;
    IMessageBox &m_messageBox;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<FileNameEditor> m_fileNames;

    // The clipboard: the watcher's hand-over, and the hidden check box's poll.
    std::unique_ptr<HandOverEndpoint> m_txtMonitor;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<ClipboardPoller> m_poller;
    std::unique_ptr<SettingsStore> m_settingsStore;
    bool m_bAskingVersion = false;
    bool m_bAskVersionAgain = false;
    // Declared after the session: it writes the list out as it goes.
    std::unique_ptr<ListKeeper> m_listKeeper;

    SkinCommands m_skinCommands;
    WindowHooks *m_pHooks;
    std::unique_ptr<frmMenu> m_pMenu;
    std::unique_ptr<TrayController> m_pTrayController;
    FolderPicker m_folderPicker;
    bool m_bEnded = false;
    bool m_bStartFinished = false;
    bool m_bWatchAfterStart = false;
};
