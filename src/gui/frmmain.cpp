#include "gui/frmmain.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>

#include "gui/downloadgrid.h"
#include "list/downloadliststore.h"
#include "list/filenameeditor.h"
#include "list/listcommands.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/clipboardpoller.h"
#include "monitor/handoverendpoint.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/runpresenter.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"
#include "sites/sitedetect.h"

frmMain::frmMain(QWidget *parent)
    : QWidget(parent)
    , txtURL(new QLineEdit(this))
    , cmdAdd2List(new QPushButton(QStringLiteral("Add to download list"), this))
    , cmbSite(new QComboBox(this))
    , cmdStartDownload(new QPushButton(RunPresenter::kStartCaption, this))
    , m_pDownloadGrid(new DownloadGrid(this))
    , m_messageBox(this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Clipvane"));
    setFixedSize(640, 600);

    txtURL->setObjectName(QStringLiteral("txtURL"));
    cmdAdd2List->setObjectName(QStringLiteral("cmdAdd2List"));
    cmbSite->setObjectName(QStringLiteral("cmbSite"));
    cmbSite->addItems(modDownload::SiteChoices());
    cmbSite->setCurrentIndex(0);
    cmdStartDownload->setObjectName(QStringLiteral("cmdStartDownload"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Type or paste the video-file URL:-"), this), 0, 0,
                      1, 3);
    layout->addWidget(txtURL, 1, 0, 1, 2);
    layout->addWidget(cmdAdd2List, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Web Site"), this), 2, 0);
    layout->addWidget(cmbSite, 2, 1);
    layout->addWidget(cmdStartDownload, 2, 2);
    layout->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), 3, 0);
    layout->setColumnStretch(1, 1);

    m_session = std::make_unique<DownloadSession>(*m_pDownloadGrid, m_messageBox, m_skin);

    connect(cmdAdd2List, &QPushButton::clicked, this, &frmMain::cmdAdd2List_Click);
    connect(txtURL, &QLineEdit::returnPressed, this, &frmMain::cmdAdd2List_Click);
    connect(cmdStartDownload, &QPushButton::clicked, this, &frmMain::cmdStartDownload_Click);
    connect(&m_session->Presenter(), &RunPresenter::cmdStartDownloadCaptionChanged,
            cmdStartDownload, &QPushButton::setText);

    CreateListEditing();
    WireClipboardAndSettings();
}

frmMain::~frmMain() = default;

void frmMain::WireClipboardAndSettings()
{
    chkMonitor = new QCheckBox(this);
    chkMonitor->setObjectName(QStringLiteral("chkMonitor"));
    chkMonitor->hide();

    DownloadSession &session = *m_session;
    // The watcher hands texts over to an endpoint named after our process.
    m_txtMonitor = std::make_unique<HandOverEndpoint>(QCoreApplication::applicationPid());
    m_txtMonitor->Listen();
    m_monitor = std::make_unique<ClipboardMonitor>(ClipboardMonitor::Parts{
        *m_txtMonitor, session.Adder(), session.Run(), session.Queue(), m_skin,
        session.Settings()});
    m_poller = std::make_unique<ClipboardPoller>(
        ClipboardPoller::Parts{session.Adder(), session.Run(), session.Queue(), m_skin,
                               session.Settings()},
        [] { return QGuiApplication::clipboard()->text(QClipboard::Clipboard); });
    connect(chkMonitor, &QCheckBox::clicked, m_poller.get(), &ClipboardPoller::chkMonitor_Click);

    m_settingsStore = std::make_unique<SettingsStore>(
        session.Settings(), m_skin, [this](bool bState) { m_monitor->Monitor(bState); });
    m_settingsStore->LoadSettings();
}

void frmMain::cmdAdd2List_Click()
{
    m_session->Adder().AddURL(txtURL->text());
}

void frmMain::cmdStartDownload_Click()
{
    m_session->Queue().cmdStartDownload_Click();
}

// The grid sits at a fixed place in front of the window's other controls;
// the editing commands reach it from buttons, keys and its context menu.
void frmMain::CreateListEditing()
{
    m_pDownloadGrid->setGeometry(35, 282, 573, 180);
    m_pDownloadGrid->raise();
    m_pDownloadGrid->FormatDownloadGrid(nullptr, true);

    m_commands = std::make_unique<ListCommands>(m_session->ListStore(), m_session->Run());
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
        {cmdSelectAll, "cmdSelectAll", QStringLiteral("&A"), QStringLiteral("Select All"),
         &frmMain::cmdSelectAll_Click, QKeySequence::SelectAll},
        {cmdRemoveSelected, "cmdRemoveSelected", QStringLiteral("X"),
         QStringLiteral("Remove Selected Items"), &frmMain::cmdRemoveSelected_Click,
         QKeySequence::Delete},
        {cmdUp, "cmdUp", QStringLiteral("/|\\"), QStringLiteral("Move Item Up"),
         &frmMain::cmdUp_Click, QKeySequence()},
        {cmdDown, "cmdDown", QStringLiteral("\\|/"), QStringLiteral("Move item down"),
         &frmMain::cmdDown_Click, QKeySequence()},
        {cmdClear, "cmdClear", QStringLiteral("&X"), QStringLiteral("Clear Completed items"),
         &frmMain::cmdClear_Click, QKeySequence()},
    };
    int iLeft = 35;
    for (const Command &command : commands) {
        command.button = new QPushButton(command.caption, this);
        command.button->setObjectName(QLatin1String(command.name));
        command.button->setToolTip(command.tip);
        command.button->setGeometry(iLeft, 468, 40, 24);
        iLeft += 44;
        connect(command.button, &QPushButton::clicked, this, command.handler);

        auto *action = new QAction(command.tip, m_pDownloadGrid);
        action->setObjectName(QLatin1String(command.name) + QLatin1String("Action"));
        action->setShortcut(command.key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, command.handler);
        m_pDownloadGrid->addAction(action);
    }
    m_pDownloadGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void frmMain::cmdSelectAll_Click()
{
    m_commands->SelectAll();
}

void frmMain::cmdRemoveSelected_Click()
{
    m_commands->RemoveSelected();
}

void frmMain::cmdUp_Click()
{
    m_commands->MoveSelectedUp();
}

void frmMain::cmdDown_Click()
{
    m_commands->MoveSelectedDown();
}

void frmMain::cmdClear_Click()
{
    m_commands->ClearCompleted();
}

void frmMain::DownloadGrid_BeforeCellUpdate(const QModelIndex &cell, const QVariant &vNewValue,
                                            bool *pbCancel)
{
    const GridRow row(m_pDownloadGrid->DataSource(), cell.row());
    m_fileNames->DownloadGrid_BeforeCellUpdate(row, cell.column(), vNewValue, *pbCancel);
}

void frmMain::DownloadGrid_AfterCellUpdate(const QModelIndex &cell)
{
    const GridRow row(m_pDownloadGrid->DataSource(), cell.row());
    m_fileNames->DownloadGrid_AfterCellUpdate(row, cell.column());
}
