#pragma once

#include <QObject>
#include <QString>

class ISkin;

// Shows the start/stop toggle's state: the captions of the start button and
// of the tray menu's entry, and the skin's run variables. The queue tells it
// what happened; the window, the tray and the skin follow its captions and
// variables, so they can never disagree with each other or with the run.
class RunPresenter : public QObject
{
    Q_OBJECT

public:
    static const QString kStartCaption;
    static const QString kStopCaption;
    // A caption as the user reads it; the captions themselves stay English.
    static QString ShownCaption(const QString &sCaption);

    explicit RunPresenter(ISkin &skin, QObject *parent = nullptr);

    QString cmdStartDownloadCaption() const { return m_sStartDownloadCaption; }
    QString mnuDownloadCaption() const { return m_sMenuDownloadCaption; }

    // A start was asked for with nothing in the list.
    void ShowEmptyList();
    void ShowRunStarted();
    // The user confirmed a stop; the run may still be winding down.
    void ShowStopConfirmed();
    // The run went through the list without being stopped.
    void ShowRunEnded();
    // What the file under way is doing (empty: none is): the line under the
    // list, and clipvane-get's progress line.
    void ShowTransfer(int iID, const QString &sLine);
    // The run is at item iItem of iItems, whose file is iPercent % there
    // (-1: unknown); iItems 0 when no run is on. The tip's percentage is
    // the whole run's.
    void ShowRunProgress(int iItem, int iItems, int iPercent);
    QString TransferLine() const { return m_sTransferLine; }
    QString RunToolTip() const { return m_sRunToolTip; }

Q_SIGNALS:
    void cmdStartDownloadCaptionChanged(const QString &sCaption);
    void mnuDownloadCaptionChanged(const QString &sCaption);
    void TransferChanged(int iID, const QString &sLine);
    // The tray's tool tip: "Clipvane · 3 of 7 · 45 %", or "Clipvane".
    void RunToolTipChanged(const QString &sToolTip);

private:
    void SetStartDownloadCaption(const QString &sCaption);
    void SetMenuDownloadCaption(const QString &sCaption);
    void SetRunVariables(const char *const names[3], const QString &sValue);

    ISkin &m_skin;
    QString m_sStartDownloadCaption;
    QString m_sMenuDownloadCaption;
    QString m_sTransferLine;
    QString m_sRunToolTip;
};
