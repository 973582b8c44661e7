#include "gui/frmmain.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSessionManager>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "core/abouttext.h"
#include "core/iskin.h"
#include "core/programfiles.h"
#include "desktop/filemanager.h"
#include "desktop/notifier.h"
#include "desktop/sleepinhibitor.h"
#include "gui/desktopnotices.h"
#include "gui/downloadgrid.h"
#include "gui/frmmenu.h"
#include "gui/guilog.h"
#include "gui/itemactions.h"
#include "gui/moddialog.h"
#include "gui/modhook.h"
#include "gui/modwindow.h"
#include "gui/skinhost.h"
#include "gui/systray.h"
#include "gui/traycontroller.h"
#include "list/downloadliststore.h"
#include "list/filenameeditor.h"
#include "list/listcommands.h"
#include "list/listkeeper.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/clipboardpoller.h"
#include "monitor/handoverendpoint.h"
#include "net/splittransfer.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/runpresenter.h"
#include "session/ytdlplocator.h"
#include "sites/ytdlparguments.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"
#include "sites/sitedetect.h"

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 600;
constexpr int kEndDelayMs = 200;
constexpr int kFinishStartLatestMs = 1000;
const QString kDownloadPage = QStringLiteral("Download");
const QString kAboutPage = QStringLiteral("About");

} // namespace

frmMain::frmMain(IMessageBox *pMessageBox, QWidget *parent, const QString &sListFile)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_pClassic(new QWidget(this))
    , Flash(nullptr)
    , m_pDownloadGrid(nullptr)
    , m_pSysTray(new SysTray(this))
    , m_widgetMessageBox(this)
    , m_messageBox(pMessageBox ? *pMessageBox : m_widgetMessageBox)
    , m_folderPicker(&modDialog::BrowseForFolder)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Clipvane"));
    setAcceptDrops(true);

    // The skin first: the widgets below lay out text, which waits for the
    // font configuration that is read meanwhile (FontPreload).
    SkinHost::SelectRenderer();
    Flash = new SkinHost(this);
    // Drops anywhere on the window reach the window's own handler.
    Flash->setAcceptDrops(false);
    connect(Flash, &SkinHost::FirstFramePainted, this, &frmMain::FinishStart,
            Qt::QueuedConnection);
    CreateClassicControls();
    m_pDownloadGrid = new DownloadGrid(this);
    Flash->SetListWidget(m_pDownloadGrid);

    m_session = std::make_unique<DownloadSession>(*m_pDownloadGrid, m_messageBox, *Flash);
    if (!sListFile.isEmpty()) {
        m_listKeeper = std::make_unique<ListKeeper>(m_session->ListStore(), sListFile);
        connect(m_listKeeper.get(), &ListKeeper::SaveFailed, this, [this](const QString &sMessage) {
            m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(), sMessage);
        });
    }
    connect(&m_session->Presenter(), &RunPresenter::cmdStartDownloadCaptionChanged,
            cmdStartDownload, [this](const QString &sCaption) {
                cmdStartDownload->setText(RunPresenter::ShownCaption(sCaption));
            });
    connect(&m_session->Presenter(), &RunPresenter::TransferChanged, this,
            [this](int, const QString &sLine) {
                modSettings::SetSkinVariable(*Flash, QStringLiteral("_root.transferLine"), sLine);
            });
    connect(&m_session->Presenter(), &RunPresenter::RunToolTipChanged, m_pSysTray,
            &SysTray::setTraytip);

    tmrend.setInterval(kEndDelayMs);
    connect(&tmrend, &QTimer::timeout, this, &frmMain::tmrend_Timer);

    CreateListEditing();
    WireClipboardAndSettings();
    m_pHooks = new WindowHooks(*Flash, *m_pDownloadGrid, this);
    connect(Flash, &SkinHost::FSCommand, this, &frmMain::Flash_FSCommand);
    RegisterSkinCommands();

    Form_Load();

    // The desktop session ending asks as the close button does while it may
    // still ask; an application quit that comes without a close ends us
    // without a question, before the main loop is left under a running
    // transfer that would otherwise keep the program alive.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &frmMain::SessionEnding);
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    // What the user typed in a settings field still counts; after that the
    // skin has nobody to send commands to while the window closes.
    Flash->FinishEditing();
    disconnect(Flash, nullptr, this, nullptr);
    // The tray menu's handlers refer to the window's parts; they go first.
    m_pTrayController.reset();
    m_pMenu.reset();
}

// The hidden controls: state holders and handlers the skin's commands reuse.
void frmMain::CreateClassicControls()
{
    m_pClassic->setObjectName(QStringLiteral("classicControls"));
    m_pClassic->hide();
    txtURL = new QLineEdit(m_pClassic);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    cmdAdd2List = new QPushButton(tr("Add to download list"), m_pClassic);
    cmdAdd2List->setObjectName(QStringLiteral("cmdAdd2List"));
    cmbSite = new QComboBox(m_pClassic);
    cmbSite->setObjectName(QStringLiteral("cmbSite"));
    cmbSite->addItems(modDownload::SiteChoices());
    cmdStartDownload = new QPushButton(RunPresenter::ShownCaption(RunPresenter::kStartCaption), m_pClassic);
    cmdStartDownload->setObjectName(QStringLiteral("cmdStartDownload"));
    cmdBrowse = new QPushButton(tr("Browse"), m_pClassic);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto *Label1 = new QLabel(tr("Type or paste the video-file URL:-"), m_pClassic);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto *Label2 = new QLabel(tr("Web Site"), m_pClassic);
    Label2->setObjectName(QStringLiteral("Label2"));

    connect(cmdAdd2List, &QPushButton::clicked, this, &frmMain::cmdAdd2List_Click);
    connect(txtURL, &QLineEdit::returnPressed, this, &frmMain::cmdAdd2List_Click);
    connect(cmdStartDownload, &QPushButton::clicked, this, &frmMain::cmdStartDownload_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmMain::cmdBrowse_Click);
}

void frmMain::Form_Load()
{
    cmbSite->setCurrentIndex(0);
    InitWindow();

    m_pMenu = std::make_unique<frmMenu>();
    connect(&m_session->Presenter(), &RunPresenter::mnuDownloadCaptionChanged, m_pMenu.get(),
            &frmMenu::SetDownloadCaption);
    m_pTrayController = std::make_unique<TrayController>(TrayController::Parts{
        *this, *m_pSysTray, *m_pMenu, m_session->Settings(),
        [this](bool bState) { MonitorClipboard(bState); },
        [this] { m_settingsStore->ApplySettingsToSkin(); },
        [this](const QString &sCommand) { Flash_FSCommand(sCommand, QString()); },
        [this] { tmrend.start(); }});

    RestoreList();
    m_settingsStore->LoadSettings();
    m_txtMonitor->SetAnySite(m_session->Settings().bAnySite);
    m_pHooks->StartHook();
}

// The list of the last time comes back before the settings start the
// clipboard watcher, so what it hands over joins the kept items.
void frmMain::RestoreList()
{
    if (!m_listKeeper)
        return;
    const QString sProblem = m_listKeeper->Restore();
    m_session->Queue().NoteKeptParts();
    m_session->ListStore().FillDownloadList();
    if (!sProblem.isEmpty())
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(), sProblem);
}

void frmMain::InitWindow()
{
    // A window never shown still gets its tray icon.
    QTimer::singleShot(kFinishStartLatestMs, this, &frmMain::FinishStart);
    m_pSysTray->setTraytip(QStringLiteral("Clipvane"));

    Flash->move(0, 0);
    Flash->raise();
    Flash->setFixedSize(kWindowWidth, kWindowHeight);
    setFixedSize(kWindowWidth, kWindowHeight);

    // The grid lies over the skin's list area, in front of it.
    m_pDownloadGrid->setGeometry(35, 282, 573, 180);
    m_pDownloadGrid->raise();
    m_pDownloadGrid->FormatDownloadGrid(nullptr, true);

    modSettings::SetSkinVariable(*Flash, QStringLiteral("_root.abouttxt"), AboutText());
}

// Decoding the icon's eight sizes and putting it into the tray (over
// D-Bus) cost about a sixth of the start, and neither is needed to draw the
// window: they come just after its first frame, and so does the clipboard
// watcher.
void frmMain::FinishStart()
{
    // A program ending before its first frame shows no tray icon any more.
    if (m_bStartFinished || m_bEnded)
        return;
    m_bStartFinished = true;
    const QIcon icon = modWindow::ProgramIcon();
    setWindowIcon(icon);
    m_pSysTray->setTrayicon(icon);
    m_pSysTray->setIntray(true);
    modSettings::SetSkinVariable(*Flash, QStringLiteral("_root.trayAvailable"),
                                 SysTray::Available() ? QStringLiteral("1") : QStringLiteral("0"));
    if (m_bWatchAfterStart)
        MonitorClipboard(true);
}

void frmMain::RegisterSkinCommands()
{
    RunState &run = m_session->Run();
    const struct
    {
        const char *sCommand;
        SkinCommands::Action action;
    } table[] = {
        {"IDC_FS_Drag", [this] { DragWindow(); }},
        {"IDC_FS_Minimize", [this] { MinimizeWindow(); }},
        {"IDC_FS_Tray", [this] { HideToTray(); }},
        {"IDC_FS_Close", [this] { EndMe(); }},
        // The Settings page shows the yt-dlp found now: it may have been
        // installed meanwhile.
        {"IDC_FS_Slider",
         [this] {
             m_pDownloadGrid->hide();
             ShowYtDlpVersion();
         }},
        {"IDC_FS_Download",
         [this, &run] {
             ShowDownloadGrid();
             run.SetActivePage(kDownloadPage);
         }},
        {"IDC_FS_About",
         [this, &run] {
             m_pDownloadGrid->hide();
             run.SetActivePage(kAboutPage);
         }},
        {"IDC_FS_help", [this] { OpenHelp(QString()); }},
        // Until the project has a public home page, its help document's
        // About section stands in for it.
        {"ID_FS_webSite", [this] { OpenHelp(QStringLiteral("about")); }},
        {"IDC_FS_startDownload", [this] { m_session->Queue().tmrDownload.start(); }},
        {"IDC_FS_stopDownload", [this] { cmdStartDownload_Click(); }},
        {"IDC_FS_addDownloadURL", [this] { AddDownloadURL(); }},
        {"IDC_FS_selectAllD", [this] { cmdSelectAll_Click(); }},
        {"IDC_FS_removeSelectedD", [this] { cmdRemoveSelected_Click(); }},
        {"IDC_FS_moveUp", [this] { cmdUp_Click(); }},
        {"IDC_FS_moveDown", [this] { cmdDown_Click(); }},
        {"ID_FS_clearComplete", [this] { cmdClear_Click(); }},
        {"ID_FS_downloadBrowse",
         [this] {
             cmdBrowse_Click();
             m_settingsStore->SaveSettings();
         }},
        {"ID_FS_autoDownloadCheck", [this] { SetMonitoring(true); }},
        {"ID_FS_autoDownloadUncheck", [this] { SetMonitoring(false); }},
        {"ID_FS_anySiteCheck", [this] { SetAnySite(true); }},
        {"ID_FS_anySiteUncheck", [this] { SetAnySite(false); }},
        {"ID_FS_ytDlpProgram", [this] { SetYtDlpProgram(); }},
        {"ID_FS_playlistAllCheck", [this] { SetPlaylistAll(true); }},
        {"ID_FS_playlistAllUncheck", [this] { SetPlaylistAll(false); }},
        {"ID_FS_cookiesBrowserNext", [this] { NextCookiesBrowser(); }},
        {"ID_FS_qualityBest", [this] { SetQuality(StreamQuality::Limit::Best); }},
        {"ID_FS_quality1080", [this] { SetQuality(StreamQuality::Limit::Max1080); }},
        {"ID_FS_quality720", [this] { SetQuality(StreamQuality::Limit::Max720); }},
        {"ID_FS_quality480", [this] { SetQuality(StreamQuality::Limit::Max480); }},
        {"ID_FS_qualitySmallest", [this] { SetQuality(StreamQuality::Limit::Smallest); }},
        {"ID_FS_notifyCheck", [this] { SetNotify(true); }},
        {"ID_FS_notifyUncheck", [this] { SetNotify(false); }},
        {"ID_FS_connectionsLess", [this] { StepConnections(-1); }},
        {"ID_FS_connectionsMore", [this] { StepConnections(1); }},
        {"ID_FS_speedLimitCheck", [this] { SetSpeedLimitOn(true); }},
        {"ID_FS_speedLimitUncheck", [this] { SetSpeedLimitOn(false); }},
        {"ID_FS_speedLimit", [this] { SetSpeedLimit(); }},
    };
    for (const auto &entry : table)
        m_skinCommands.Register(QLatin1String(entry.sCommand), entry.action);
}

// The watcher is a program of its own, and its start would compete with
// the window's first frame for the processor: until that frame is out, a
// start waits for it (a stop goes at once, and cancels the start).
void frmMain::MonitorClipboard(bool bState)
{
    m_bWatchAfterStart = bState && !m_bStartFinished;
    if (m_bWatchAfterStart)
        m_session->Settings().bURLMonitor = true;
    else
        m_monitor->Monitor(bState);
}

// The skin's monitoring check box: switches the watcher and keeps the choice.
void frmMain::SetMonitoring(bool bState)
{
    MonitorClipboard(bState);
    m_session->Settings().bURLMonitor = bState;
    m_settingsStore->SaveSettings();
    // The skin's check box shows the setting, not its own click.
    m_settingsStore->ApplySettingsToSkin();
}

// The skin's "Any Site" check box: the list, the page rule, the watcher and
// the polling path all follow the one setting.
void frmMain::SetAnySite(bool bState)
{
    m_session->Settings().bAnySite = bState;
    m_txtMonitor->SetAnySite(bState);
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

void frmMain::SetNotify(bool bState)
{
    m_session->Settings().bNotify = bState;
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

// The program field of the Settings page: its text is the setting once
// the user is done with it.
void frmMain::SetYtDlpProgram()
{
    m_session->Settings().sYtDlpProgram =
        Flash->GetVariable(QStringLiteral("_root.ytDlpProgram")).trimmed();
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
    ShowYtDlpVersion();
}

void frmMain::SetPlaylistAll(bool bState)
{
    m_session->Settings().bPlaylistAll = bState;
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

// The skin's Quality choice: the streams saved from now on follow it.
void frmMain::SetQuality(StreamQuality::Limit limit)
{
    m_session->Settings().sQuality = StreamQuality::TextOf(limit);
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

void frmMain::StepConnections(int iStep)
{
    int &iConnections = m_session->Settings().iConnections;
    iConnections = qBound(1, iConnections + iStep, SplitTransfer::kMaxConnections);
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

// Off is no limit; on takes the field's number, or 1024 KiB/s where the
// field holds none.
void frmMain::SetSpeedLimitOn(bool bState)
{
    constexpr qint64 kFirstLimit = 1024 * 1024;
    const auto limit =
        SettingsStore::SpeedLimitOf(Flash->GetVariable(QStringLiteral("_root.speedLimit")));
    m_session->Settings().lSpeedLimit = bState ? limit.value_or(kFirstLimit) : 0;
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

// The limit field's text is the limit once the user is done with it; text
// that is no limit is refused, and the field shows the setting again.
void frmMain::SetSpeedLimit()
{
    if (const auto limit =
            SettingsStore::SpeedLimitOf(Flash->GetVariable(QStringLiteral("_root.speedLimit")))) {
        m_session->Settings().lSpeedLimit = *limit;
        m_settingsStore->SaveSettings();
    }
    m_settingsStore->ApplySettingsToSkin();
}

// The cookies button steps through none and the browsers yt-dlp knows.
void frmMain::NextCookiesBrowser()
{
    const QStringList &browsers = YtDlpArguments::Browsers();
    QString &sBrowser = m_session->Settings().sCookiesBrowser;
    const qsizetype iAt = browsers.indexOf(sBrowser);
    sBrowser = iAt + 1 < browsers.size() ? browsers.at(iAt + 1) : QString();
    m_settingsStore->SaveSettings();
    m_settingsStore->ApplySettingsToSkin();
}

void frmMain::ShowYtDlpVersion()
{
    // Asking runs the program while the window keeps answering; a change
    // meanwhile is asked about once the answer is in.
    if (m_bAskingVersion) {
        m_bAskVersionAgain = true;
        return;
    }
    m_bAskingVersion = true;
    do {
        m_bAskVersionAgain = false;
        const QString sProgram = YtDlpLocator::Find(m_session->Settings().sYtDlpProgram);
        const QString sVersion = YtDlpLocator::Version(sProgram);
        modSettings::SetSkinVariable(*Flash, QStringLiteral("_root.ytDlpVersion"),
                                     sVersion.isEmpty() ? tr("not found")
                                                        : QStringLiteral("yt-dlp %1").arg(sVersion));
    } while (m_bAskVersionAgain);
    m_bAskingVersion = false;
}

bool frmMain::Flash_FSCommand(const QString &sCommand, const QString &sArgs)
{
    return m_skinCommands.Flash_FSCommand(sCommand, sArgs);
}

void frmMain::ShowDownloadGrid()
{
    m_pDownloadGrid->show();
    m_pDownloadGrid->raise();
}

void frmMain::DragWindow()
{
    // The window manager moves the window with the pointer until the button
    // goes up, as it does for a title bar of its own.
    if (QWindow *pWindow = windowHandle())
        pWindow->startSystemMove();
}

void frmMain::MinimizeWindow()
{
    setWindowState(windowState() | Qt::WindowMinimized);
}

void frmMain::HideToTray()
{
    // Without a notification area a hidden window could never come back.
    if (!SysTray::Available()) {
        MinimizeWindow();
        return;
    }
    hide();
    m_pSysTray->setIntray(true);
}

void frmMain::OpenHelp(const QString &sSection)
{
    const QString sHelp = ProgramFiles::HelpDocument();
    if (sHelp.isEmpty()) {
        qCWarning(lcGui, "No help document installed beside the program");
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(),
                            tr("The help document is not installed with the program."));
        return;
    }
    QUrl url = QUrl::fromLocalFile(sHelp);
    if (!sSection.isEmpty())
        url.setFragment(sSection);
    if (!QDesktopServices::openUrl(url)) {
        qCWarning(lcGui, "Nothing opened the help document %s", qPrintable(url.toString()));
        // Without a program for it the click would seem to do nothing.
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(),
                            tr("No program opened the help document. You can open it yourself: %1")
                                .arg(sHelp));
    }
}

void frmMain::AddDownloadURL()
{
    const QString sName = QStringLiteral("_root.video_url");
    if (!Flash->GetVariable(sName).trimmed().isEmpty())
        m_session->Adder().AddURL(Flash->GetVariable(sName));
    RunState &run = m_session->Run();
    if (run.bDownloading())
        run.FindCurrentRow();
}

void frmMain::TakeAddresses(const QStringList &addresses)
{
    for (const QString &sAddress : addresses)
        m_monitor->TakeAddress(sAddress);
}

void frmMain::HandOverReceived(const QStringList &addresses)
{
    modWindow::BringBack(*this);
    TakeAddresses(addresses);
}

void frmMain::SetFolderPicker(FolderPicker picker)
{
    m_folderPicker = std::move(picker);
}

bool frmMain::ConfirmExit()
{
    const IMessageBox::Answer answer = m_messageBox.MsgBox(
        IMessageBox::Icon::Question, QString(),
        tr("Download is in Progress, Are you sure that you want to exit?"),
        IMessageBox::Buttons::YesNo);
    if (answer != IMessageBox::Answer::Yes)
        return false;
    m_session->Run().RequestStop();
    return true;
}

void frmMain::EndMe()
{
    if (m_bEnded)
        return;
    if (m_session->Run().bDownloading() && !ConfirmExit())
        return;
    EndWithoutAsking();
}

void frmMain::EndWithoutAsking()
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    // The run is nested below us: the program cannot end before it returns,
    // so everything it waits for is given up now.
    m_session->Queue().AbandonRun();
    // The list is written now and no more: a program started from here on
    // takes over the endpoint and the list file with it. What the abandoned
    // run still writes is work given up, and comes back as waiting anyway.
    m_listKeeper.reset();
    m_pHooks->StopHook();
    // The watcher is told to end; the stored choice stays as it was, so the
    // next start watches again.
    MonitorClipboard(false);
    m_pTrayController.reset();
    m_pMenu.reset();
    hide();
    m_pSysTray->setIntray(false);
    // The application ends on this signal, once the abandoned run has
    // returned; its part file stays for the next start to continue.
    Q_EMIT Ending();
}

void frmMain::SessionEnding(QSessionManager &manager)
{
    if (m_bEnded || !m_session->Run().bDownloading())
        return;
    if (!manager.allowsInteraction()) {
        EndWithoutAsking();
        return;
    }
    if (ConfirmExit())
        EndWithoutAsking();
    else
        manager.cancel();
    manager.release();
}

bool frmMain::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (pWatched == qApp && pEvent->type() == QEvent::Quit)
        EndWithoutAsking();
    return QWidget::eventFilter(pWatched, pEvent);
}

void frmMain::tmrend_Timer()
{
    tmrend.stop();
    EndMe();
}

void frmMain::closeEvent(QCloseEvent *pEvent)
{
    // Alt+F4 or the session ending: the same orderly end as the close button.
    EndMe();
    if (m_bEnded)
        pEvent->accept();
    else
        pEvent->ignore();
}

QStringList frmMain::AddressesIn(const QMimeData &mime)
{
    QStringList addresses;
    if (mime.hasUrls()) {
        for (const QUrl &url : mime.urls()) {
            if (!url.isLocalFile() && url.isValid())
                addresses << url.toString();
        }
    } else if (mime.hasText()) {
        const QString sText = mime.text().trimmed();
        if (!sText.isEmpty() && !sText.contains(QLatin1Char('\n')))
            addresses << sText;
    }
    return addresses;
}

void frmMain::dragEnterEvent(QDragEnterEvent *pEvent)
{
    if (!AddressesIn(*pEvent->mimeData()).isEmpty())
        pEvent->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *pEvent)
{
    const QStringList addresses = AddressesIn(*pEvent->mimeData());
    if (addresses.isEmpty())
        return;
    pEvent->acceptProposedAction();
    TakeAddresses(addresses);
}

void frmMain::WireClipboardAndSettings()
{
    chkMonitor = new QCheckBox(
        tr("Monitor video URL's in clipboard and automatically add and download"),
        m_pClassic);
    chkMonitor->setObjectName(QStringLiteral("chkMonitor"));

    DownloadSession &session = *m_session;
    // The watcher hands texts over to an endpoint named after our process.
    m_txtMonitor = std::make_unique<HandOverEndpoint>(QCoreApplication::applicationPid());
    m_txtMonitor->Listen();
    m_monitor = std::make_unique<ClipboardMonitor>(ClipboardMonitor::Parts{
        *m_txtMonitor, session.Adder(), session.Run(), session.Queue(), *Flash,
        session.Settings()});
    m_poller = std::make_unique<ClipboardPoller>(
        ClipboardPoller::Parts{session.Adder(), session.Run(), session.Queue(), *Flash,
                               session.Settings()},
        [] { return QGuiApplication::clipboard()->text(QClipboard::Clipboard); });
    connect(chkMonitor, &QCheckBox::clicked, m_poller.get(), &ClipboardPoller::chkMonitor_Click);

    m_settingsStore = std::make_unique<SettingsStore>(
        session.Settings(), *Flash, [this](bool bState) { MonitorClipboard(bState); });
}

void frmMain::cmdAdd2List_Click()
{
    m_session->Adder().AddURL(txtURL->text());
}

void frmMain::cmdStartDownload_Click()
{
    m_session->Queue().cmdStartDownload_Click();
}

void frmMain::cmdBrowse_Click()
{
    const QString sDir = m_folderPicker(
        this, tr("Please select the desired Download directory then press Ok."),
        m_session->Settings().sDownloadDir);
    if (sDir.isEmpty())
        return;
    modSettings::SetSkinVariable(*Flash, QStringLiteral("_root.download_dir"), sDir);
    m_session->Settings().sDownloadDir = sDir;
}

// The editing commands reach the grid from the skin's buttons (through the
// hidden classic ones), from keys and from its context menu.
void frmMain::CreateListEditing()
{
    m_listCommands = std::make_unique<ListCommands>(m_session->ListStore(), m_session->Run());
    m_fileNames = std::make_unique<FileNameEditor>(m_session->ListStore());
    connect(m_pDownloadGrid, &DownloadGrid::BeforeCellUpdate, this,
            &frmMain::DownloadGrid_BeforeCellUpdate);
    connect(m_pDownloadGrid, &DownloadGrid::AfterCellUpdate, this,
            &frmMain::DownloadGrid_AfterCellUpdate);

    struct Command
    {
        QPushButton *&button;
        const char *name;
        QString caption;
        QString tip;
        void (frmMain::*handler)();
        QKeySequence key;
    };
    const Command commands[] = {
        {cmdSelectAll, "cmdSelectAll", QStringLiteral("&A"), tr("Select All"),
         &frmMain::cmdSelectAll_Click, QKeySequence::SelectAll},
        {cmdRemoveSelected, "cmdRemoveSelected", QStringLiteral("X"),
         tr("Remove Selected Items"), &frmMain::cmdRemoveSelected_Click,
         QKeySequence::Delete},
        {cmdUp, "cmdUp", QStringLiteral("/|\\"), tr("Move Item Up"),
         &frmMain::cmdUp_Click, QKeySequence()},
        {cmdDown, "cmdDown", QStringLiteral("\\|/"), tr("Move item down"),
         &frmMain::cmdDown_Click, QKeySequence()},
        {cmdClear, "cmdClear", QStringLiteral("&X"), tr("Clear Completed items"),
         &frmMain::cmdClear_Click, QKeySequence()},
        {cmdRetry, "cmdRetry", QStringLiteral("&R"), tr("Retry"),
         &frmMain::cmdRetry_Click, QKeySequence(Qt::CTRL | Qt::Key_R)},
    };
    for (const Command &command : commands) {
        command.button = new QPushButton(command.caption, m_pClassic);
        command.button->setObjectName(QLatin1String(command.name));
        command.button->setToolTip(command.tip);
        connect(command.button, &QPushButton::clicked, this, command.handler);

        auto *action = new QAction(command.tip, m_pDownloadGrid);
        action->setObjectName(QLatin1String(command.name) + QLatin1String("Action"));
        action->setShortcut(command.key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, command.handler);
        m_pDownloadGrid->addAction(action);
    }
    m_pDownloadGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_fileManager = new FileManager(QDBusConnection::SessionBus, this);
    m_notices = new DesktopNotices(
        {*this, m_session->Queue(), m_session->ListStore(), m_session->Settings(),
         *new Notifier(QDBusConnection::SessionBus, this),
         *new SleepInhibitor(QDBusConnection::SystemBus, this), *m_fileManager},
        this);
    m_itemActions = new ItemActions(
        {*m_pDownloadGrid, m_session->ListStore(), m_session->Queue(), *m_fileManager},
        m_pDownloadGrid->findChild<QAction *>(QStringLiteral("cmdRetryAction")), this);
}

void frmMain::cmdSelectAll_Click()
{
    m_listCommands->SelectAll();
}

void frmMain::cmdRemoveSelected_Click()
{
    m_listCommands->RemoveSelected();
}

void frmMain::cmdUp_Click()
{
    m_listCommands->MoveSelectedUp();
}

void frmMain::cmdDown_Click()
{
    m_listCommands->MoveSelectedDown();
}

void frmMain::cmdClear_Click()
{
    m_listCommands->ClearCompleted();
}

void frmMain::cmdRetry_Click()
{
    m_listCommands->RetrySelected();
}

void frmMain::DownloadGrid_BeforeCellUpdate(const QModelIndex &cell, const QVariant &vNewValue,
                                            bool *pbCancel)
{
    const GridRow row(m_pDownloadGrid->DataSource(), cell.row());
    m_fileNames->DownloadGrid_BeforeCellUpdate(row, cell.column(), vNewValue, *pbCancel);
    // Said once the editor has closed: a box inside its commit would commit again.
    const QString sRefusal = m_fileNames->RefusalReason();
    if (!sRefusal.isEmpty())
        QTimer::singleShot(0, this, [this, sRefusal] {
            m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(), sRefusal);
        });
}

void frmMain::DownloadGrid_AfterCellUpdate(const QModelIndex &cell)
{
    const GridRow row(m_pDownloadGrid->DataSource(), cell.row());
    m_fileNames->DownloadGrid_AfterCellUpdate(row, cell.column());
}
