#include <QTemporaryFile>
#include <QTest>

#include <cstdio>

#include "cli/statusprinter.h"
#include "list/downloadliststore.h"
#include "list/gridrow.h"
#include "scriptedmessagebox.h"

class tst_StatusPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsEachChangeOnce_data();
    void printsEachChangeOnce();
};

void tst_StatusPrinter::printsEachChangeOnce_data()
{
    QTest::addColumn<bool>("bTerminal");
    QTest::addColumn<QByteArray>("expected");

    // The transfer's figures: a line of their own in a log, joined to the
    // updating line on a terminal, and gone from it when the transfer ends.
    QTest::newRow("log") << false
                         << QByteArray("[1] Waiting  a.flv\n[2] Waiting  b.flv\n"
                                       "[1] 5%  a.flv\n[1] 1 MB of 20 MB \xC2\xB7 stalled\n"
                                       "[1] 1.5 MB so far..  a.flv\n");
    QTest::newRow("terminal") << true
                              << QByteArray("\r\033[K[1] Waiting  a.flv\r\033[K[2] Waiting  b.flv"
                                            "\r\033[K[1] 5%  a.flv"
                                            "\r\033[K[1] 5%  a.flv  1 MB of 20 MB \xC2\xB7 stalled"
                                            "\r\033[K[1] 1.5 MB so far..  a.flv  1 MB of 20 MB "
                                            "\xC2\xB7 stalled"
                                            "\r\033[K[1] 1.5 MB so far..  a.flv\n");
}

void tst_StatusPrinter::printsEachChangeOnce()
{
    QFETCH(bool, bTerminal);
    QFETCH(QByteArray, expected);

    std::FILE *pOut = std::tmpfile();
    QVERIFY(pOut);
    StatusPrinter printer(pOut, bTerminal);
    ScriptedMessageBox messages;
    DownloadListStore store(printer, messages);
    for (const char *sName : {"a.flv", "b.flv"}) {
        QString sStatus, sSize;
        store.AddDownloadItem(QString::fromLatin1(sName), QString::fromLatin1(sName), sStatus, sSize);
    }
    store.FillDownloadList();
    // A rebuild that changes nothing prints nothing.
    store.FillDownloadList();
    const GridRow first = printer.FirstRow();
    first.SetCellValue(3, QStringLiteral("5"));
    first.SetCellValue(3, QStringLiteral("5"));
    printer.ShowTransfer(1, QStringLiteral("1 MB of 20 MB · stalled"));
    first.SetCellValue(3, QStringLiteral("1.5 MB so far.."));
    printer.ShowTransfer(1, QString());
    printer.Finish();

    std::rewind(pOut);
    QByteArray written(4096, '\0');
    written.resize(qsizetype(std::fread(written.data(), 1, written.size(), pOut)));
    std::fclose(pOut);
    QCOMPARE(written, expected);
}

QTEST_GUILESS_MAIN(tst_StatusPrinter)
#include "tst_statusprinter.moc"
