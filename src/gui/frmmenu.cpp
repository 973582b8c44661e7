#include "gui/frmmenu.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "session/runpresenter.h"

frmMenu::frmMenu(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , TRAYMENU(new QMenu(tr("Menu"), this))
{
    setObjectName(QStringLiteral("frmMenu"));
    setWindowTitle(QStringLiteral("frmMenu"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("This form is just to hold the tray menu."), this));

    TRAYMENU->setObjectName(QStringLiteral("TRAYMENU"));
    mnuWebVideo = TRAYMENU->addAction(QStringLiteral("Clipvane"));
    mnuSep1 = TRAYMENU->addSeparator();
    mnuDownload = TRAYMENU->addAction(QString());
    SetDownloadCaption(RunPresenter::kStartCaption);
    mnuSep2 = TRAYMENU->addSeparator();
    mnuMonitor = TRAYMENU->addAction(tr("Monitor Video URL's in Clipboard"));
    mnuMonitor->setCheckable(true);
    // Help and About have no action of their own here: they stay in the menu
    // switched off, together with the separator before them, as designed.
    mnuSep3 = TRAYMENU->addSeparator();
    mnuHelp = TRAYMENU->addAction(tr("Help"));
    mnuAbout = TRAYMENU->addAction(tr("About"));
    mnuSep3->setVisible(false);
    mnuHelp->setVisible(false);
    mnuAbout->setVisible(false);
    mnuSep4 = TRAYMENU->addSeparator();
    mnuExit = TRAYMENU->addAction(tr("Exit Clipvane"));

    const struct { QAction *pAction; const char *sName; } names[] = {
        {mnuWebVideo, "mnuWebVideo"}, {mnuSep1, "mnuSep1"}, {mnuDownload, "mnuDownload"},
        {mnuSep2, "mnuSep2"}, {mnuMonitor, "mnuMonitor"}, {mnuSep3, "mnuSep3"},
        {mnuHelp, "mnuHelp"}, {mnuAbout, "mnuAbout"}, {mnuSep4, "mnuSep4"}, {mnuExit, "mnuExit"},
    };
    for (const auto &entry : names)
        entry.pAction->setObjectName(QString::fromLatin1(entry.sName));
}

frmMenu::~frmMenu() = default;

void frmMenu::SetDownloadCaption(const QString &sCaption)
{
    mnuDownload->setText(RunPresenter::ShownCaption(sCaption));
    mnuDownload->setData(sCaption);
}

bool frmMenu::OffersStart() const
{
    return mnuDownload->data().toString() == RunPresenter::kStartCaption;
}
