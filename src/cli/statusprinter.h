#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdio>

#include "list/idownloadgrid.h"

// Shows the download list's item states on a terminal or in a log: it stands
// where the window's grid would, sees every rebuilt view and every cell write,
// and prints each change of an item's Status. On a terminal the changes share
// one updating line; otherwise each change is a line of its own.
class StatusPrinter : public QObject, public IDownloadGrid
{
    Q_OBJECT

public:
    StatusPrinter(std::FILE *pOut, bool bTerminal, QObject *parent = nullptr);

    void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial) override;
    void ClearDataSource() override;
    DownloadViewModel *DataSource() const override;

    // Ends the updating line, so that what follows starts on a fresh line.
    void Finish();
    // A line of its own, between the status lines.
    void Note(const QString &sLine);
    // What item iID's transfer is doing (empty: it ended): on a terminal it
    // joins the updating line, otherwise it is a line of its own.
    void ShowTransfer(int iID, const QString &sLine);

private:
    void ShowRow(int iRow);
    void Print(const QString &sID, const QString &sStatus, const QString &sFileName);
    void Write(const QByteArray &line);

    std::FILE *m_pOut;
    bool m_bTerminal;
    DownloadViewModel *m_pView = nullptr;
    QList<QString> m_lastStatusById;
    bool m_bLineOpen = false;
    // The last status line printed, and the transfer's figures that follow it.
    QString m_sLastLine;
    QString m_sTransfer;
};
