#include "gui/frmmain.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "session/downloadsession.h"
#include "gui/downloadgrid.h"
#include "list/urladder.h"
#include "sites/sitedetect.h"
#include "session/downloadqueue.h"
#include "list/runstate.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/clipboardpoller.h"
#include "monitor/handoverendpoint.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"

frmMain::frmMain(QWidget *parent)
    : QWidget(parent)
    , txtURL(new QLineEdit(this))
    , cmdAdd2List(new QPushButton(QStringLiteral("Add to download list"), this))
    , cmbSite(new QComboBox(this))
    , cmdStartDownload(new QPushButton(DownloadQueue::kStartCaption, this))
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
    layout->addWidget(m_pDownloadGrid, 3, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);

    m_session = std::make_unique<DownloadSession>(*m_pDownloadGrid, m_messageBox, m_skin);

    connect(cmdAdd2List, &QPushButton::clicked, this, &frmMain::cmdAdd2List_Click);
    connect(txtURL, &QLineEdit::returnPressed, this, &frmMain::cmdAdd2List_Click);
    connect(cmdStartDownload, &QPushButton::clicked, this, &frmMain::cmdStartDownload_Click);
    connect(&m_session->Queue(), &DownloadQueue::cmdStartDownloadCaptionChanged,
            cmdStartDownload, &QPushButton::setText);

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
