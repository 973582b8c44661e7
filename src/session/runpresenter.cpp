#include "session/runpresenter.h"

#include <QCoreApplication>

#include "core/iskin.h"

namespace {

// The skin's run variables, in the order each group sets them.
const char *const kStopOrStartVariables[3] = {"_root.downloadBtn", "_root.startDownload",
                                             "_root.downloadTab"};
const char *const kRunEndVariables[3] = {"_root.startDownload", "_root.downloadBtn",
                                        "_root.downloadTab"};

} // namespace

const QString RunPresenter::kStartCaption =
    QString::fromUtf8(QT_TRANSLATE_NOOP("RunPresenter", "Start Downloading"));
const QString RunPresenter::kStopCaption =
    QString::fromUtf8(QT_TRANSLATE_NOOP("RunPresenter", "Stop Downloading"));

QString RunPresenter::ShownCaption(const QString &sCaption)
{
    return QCoreApplication::translate("RunPresenter", sCaption.toUtf8().constData());
}

RunPresenter::RunPresenter(ISkin &skin, QObject *parent)
    : QObject(parent)
    , m_skin(skin)
    , m_sStartDownloadCaption(kStartCaption)
    , m_sMenuDownloadCaption(kStartCaption)
{
}

void RunPresenter::ShowEmptyList()
{
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.startDownload"),
                                 QStringLiteral("1"));
}

void RunPresenter::ShowRunStarted()
{
    SetStartDownloadCaption(kStopCaption);
    SetMenuDownloadCaption(kStopCaption);
    SetRunVariables(kStopOrStartVariables, QStringLiteral("0"));
}

void RunPresenter::ShowStopConfirmed()
{
    SetStartDownloadCaption(kStartCaption);
    SetMenuDownloadCaption(kStartCaption);
    SetRunVariables(kStopOrStartVariables, QStringLiteral("1"));
}

void RunPresenter::ShowRunEnded()
{
    SetStartDownloadCaption(kStartCaption);
    SetRunVariables(kRunEndVariables, QStringLiteral("1"));
    SetMenuDownloadCaption(kStartCaption);
}

void RunPresenter::ShowTransfer(int iID, const QString &sLine)
{
    if (sLine == m_sTransferLine)
        return;
    m_sTransferLine = sLine;
    Q_EMIT TransferChanged(iID, sLine);
}

void RunPresenter::ShowRunProgress(int iItem, int iItems, int iPercent)
{
    QString sTip = QStringLiteral("Clipvane");
    if (iItems > 0)
        sTip += tr(" · %1 of %2").arg(iItem).arg(iItems);
    // The tip tells how far the whole run is: the items before this one are
    // done, this one is iPercent of the way.
    if (iItems > 0 && iPercent >= 0) {
        const int iDone = qBound(0, iItem - 1, iItems);
        const int iRun = (iDone * 100 + qBound(0, iPercent, 100)) / iItems;
        sTip += QStringLiteral(" · %1 %").arg(qMin(iRun, 100));
    }
    if (sTip == m_sRunToolTip)
        return;
    m_sRunToolTip = sTip;
    Q_EMIT RunToolTipChanged(sTip);
}

void RunPresenter::SetStartDownloadCaption(const QString &sCaption)
{
    m_sStartDownloadCaption = sCaption;
    Q_EMIT cmdStartDownloadCaptionChanged(sCaption);
}

void RunPresenter::SetMenuDownloadCaption(const QString &sCaption)
{
    m_sMenuDownloadCaption = sCaption;
    Q_EMIT mnuDownloadCaptionChanged(sCaption);
}

void RunPresenter::SetRunVariables(const char *const names[3], const QString &sValue)
{
    for (int i = 0; i < 3; ++i)
        modSettings::SetSkinVariable(m_skin, QString::fromLatin1(names[i]), sValue);
}
