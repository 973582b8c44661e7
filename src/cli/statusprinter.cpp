#include "cli/statusprinter.h"

#include "list/downloadviewmodel.h"
#include "list/shownlisttext.h"

StatusPrinter::StatusPrinter(std::FILE *pOut, bool bTerminal, QObject *parent)
    : QObject(parent)
    , m_pOut(pOut)
    , m_bTerminal(bTerminal)
{
}

void StatusPrinter::FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool)
{
    if (m_pView)
        disconnect(m_pView, nullptr, this, nullptr);
    m_pView = rsDownloadView;
    if (!m_pView)
        return;
    connect(m_pView, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                for (int iRow = topLeft.row(); iRow <= bottomRight.row(); ++iRow)
                    ShowRow(iRow);
            });
    for (int iRow = 0; iRow < m_pView->RecordCount(); ++iRow)
        ShowRow(iRow);
}

void StatusPrinter::ClearDataSource()
{
    FormatDownloadGrid(nullptr, false);
}

DownloadViewModel *StatusPrinter::DataSource() const
{
    return m_pView;
}

void StatusPrinter::ShowRow(int iRow)
{
    const int iID = m_pView->CellText(iRow, DownloadViewModel::colID).toInt();
    if (iID <= 0)
        return;
    if (m_lastStatusById.size() < iID)
        m_lastStatusById.resize(iID);
    const QString sStatus = m_pView->CellText(iRow, DownloadViewModel::colStatus);
    QString &sLast = m_lastStatusById[iID - 1];
    if (sLast == sStatus)
        return;
    sLast = sStatus;
    Print(QString::number(iID), sStatus, m_pView->CellText(iRow, DownloadViewModel::colFileName));
}

void StatusPrinter::Print(const QString &sID, const QString &sStatus, const QString &sFileName)
{
    bool bPercentage = false;
    sStatus.toInt(&bPercentage);
    const QString sShown = bPercentage ? sStatus + QLatin1Char('%') : ShownListText::Of(sStatus);
    m_sLastLine = QStringLiteral("[%1] %2  %3").arg(sID, sShown, sFileName);
    if (m_bTerminal && !m_sTransfer.isEmpty())
        Write((m_sLastLine + QStringLiteral("  ") + m_sTransfer).toLocal8Bit());
    else
        Write(m_sLastLine.toLocal8Bit());
}

void StatusPrinter::ShowTransfer(int iID, const QString &sLine)
{
    m_sTransfer = sLine;
    if (m_bTerminal && !m_sLastLine.isEmpty())
        Write((sLine.isEmpty() ? m_sLastLine : m_sLastLine + QStringLiteral("  ") + sLine).toLocal8Bit());
    else if (!m_bTerminal && !sLine.isEmpty())
        Write(QStringLiteral("[%1] %2").arg(iID).arg(sLine).toLocal8Bit());
}

void StatusPrinter::Write(const QByteArray &line)
{
    if (m_bTerminal) {
        // Carriage return and erase-line keep the line in place.
        std::fprintf(m_pOut, "\r\033[K%s", line.constData());
        m_bLineOpen = true;
    } else {
        std::fprintf(m_pOut, "%s\n", line.constData());
    }
    std::fflush(m_pOut);
}

void StatusPrinter::Finish()
{
    if (m_bLineOpen)
        std::fputc('\n', m_pOut);
    m_bLineOpen = false;
    std::fflush(m_pOut);
}

void StatusPrinter::Note(const QString &sLine)
{
    Finish();
    std::fprintf(m_pOut, "%s\n", sLine.toLocal8Bit().constData());
    std::fflush(m_pOut);
}
