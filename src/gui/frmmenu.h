#pragma once

#include <QWidget>

class QAction;
class QMenu;

// Never shown: it only holds the tray menu, TRAYMENU. Its entries' clicks
// are handled by the main window.
class frmMenu : public QWidget
{
    Q_OBJECT

public:
    explicit frmMenu(QWidget *parent = nullptr);
    ~frmMenu() override;

    // The run entry shows sCaption (RunPresenter's) in the user's language;
    // OffersStart tells which of the two it shows.
    void SetDownloadCaption(const QString &sCaption);
    bool OffersStart() const;

    QMenu *TRAYMENU;
    QAction *mnuWebVideo;
    QAction *mnuSep1;
    QAction *mnuDownload;
    QAction *mnuSep2;
    QAction *mnuMonitor;
    QAction *mnuSep3;
    QAction *mnuHelp;
    QAction *mnuAbout;
    QAction *mnuSep4;
    QAction *mnuExit;
};
