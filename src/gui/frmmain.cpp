#include "gui/frmmain.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/downloadgrid.h"
#include "list/urladder.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/runpresenter.h"
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
    layout->addWidget(m_pDownloadGrid, 3, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);

    m_session = std::make_unique<DownloadSession>(*m_pDownloadGrid, m_messageBox, m_skin);

    connect(cmdAdd2List, &QPushButton::clicked, this, &frmMain::cmdAdd2List_Click);
    connect(txtURL, &QLineEdit::returnPressed, this, &frmMain::cmdAdd2List_Click);
    connect(cmdStartDownload, &QPushButton::clicked, this, &frmMain::cmdStartDownload_Click);
    connect(&m_session->Presenter(), &RunPresenter::cmdStartDownloadCaptionChanged,
            cmdStartDownload, &QPushButton::setText);
}

frmMain::~frmMain() = default;

void frmMain::cmdAdd2List_Click()
{
    m_session->Adder().AddURL(txtURL->text());
}

void frmMain::cmdStartDownload_Click()
{
    m_session->Queue().cmdStartDownload_Click();
}
