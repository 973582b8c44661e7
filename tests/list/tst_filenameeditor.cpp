#include <QTest>

#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/filenameeditor.h"
#include "list/idownloadgrid.h"
#include "scriptedmessagebox.h"

// The two handlers as the grid runs them for one committed edit: before the
// grid stores the typed value, then (unless refused) the store, then after.
class tst_FileNameEditor : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        HeadlessDownloadGrid grid;
        ScriptedMessageBox messages;
        DownloadListStore store{grid, messages};
        FileNameEditor editor{store};

        Fixture()
        {
            for (const char *sUrl : {"http://videos/A", "http://videos/B"}) {
                QString sStatus, sSize;
                store.AddDownloadItem(QString::fromLatin1(sUrl),
                                      QStringLiteral("Waiting (Auto Detect)"), sStatus, sSize);
            }
            store.FillDownloadList();
        }

        // Returns whether the edit was refused.
        bool Commit(int iRow, int iColumn, const QString &sTyped)
        {
            const GridRow row(grid.DataSource(), iRow);
            bool bCancel = false;
            editor.DownloadGrid_BeforeCellUpdate(row, iColumn, sTyped, bCancel);
            if (bCancel)
                return true;
            row.SetCellValue(iColumn, sTyped);
            editor.DownloadGrid_AfterCellUpdate(row, iColumn);
            return false;
        }
    };

private Q_SLOTS:
    void typedNameIsCleanedOrRefused_data();
    void typedNameIsCleanedOrRefused();
    void otherColumnsDoNotReachTheItem();
};

void tst_FileNameEditor::typedNameIsCleanedOrRefused_data()
{
    QTest::addColumn<QString>("sTyped");
    QTest::addColumn<bool>("bRefused");
    QTest::addColumn<QString>("sStored");
    QTest::addColumn<QString>("sSaid"); // why the refusal is told; empty: nothing is said
    const QString sNothingLeft = QStringLiteral("Nothing is left of the name \"%1\" once the characters "
                                                "a file name may not hold are dropped; the item keeps "
                                                "its name.");

    QTest::newRow("plain") << "holiday.flv" << false << "holiday.flv" << QString();
    QTest::newRow("forbidden characters removed")
        << "my:clip?.flv" << false << "myclip.flv" << QString();
    QTest::newRow("all of them")
        << "a\\b/c:d*e?f\"g<h>i|j&k,l" << false << "abcdefghijkl" << QString();
    QTest::newRow("control characters removed")
        << "tab\there.flv" << false << "tabhere.flv" << QString();
    QTest::newRow("only forbidden characters") << "???" << true << "" << sNothingLeft.arg("???");
    QTest::newRow("empty") << "" << true << "" << QString();
    QTest::newRow("the placeholder text") << "Enter File Name" << true << "" << QString();
    QTest::newRow("parent directory") << ".." << true << "" << sNothingLeft.arg("..");
    QTest::newRow("longer than the column")
        << QString(120, QLatin1Char('n')) << false << QString(100, QLatin1Char('n')) << QString();
}

void tst_FileNameEditor::typedNameIsCleanedOrRefused()
{
    QFETCH(QString, sTyped);
    QFETCH(bool, bRefused);
    QFETCH(QString, sStored);
    QFETCH(QString, sSaid);

    Fixture f;
    DownloadViewModel *pView = f.grid.DataSource();
    const int iBindings = f.grid.iBindings;

    QCOMPARE(f.Commit(1, DownloadViewModel::colFileName, sTyped), bRefused);
    QCOMPARE(f.editor.RefusalReason(), sSaid);

    const QString sExpected = bRefused ? QStringLiteral("Waiting (Auto Detect)") : sStored;
    QCOMPARE(pView->CellText(1, DownloadViewModel::colFileName), sExpected);
    const DownloadItem &item = f.store.Items().at(1);
    QCOMPARE(item.FileName, sExpected);
    // Only the name changes, and the view is not rebuilt for it.
    QCOMPARE(item.ID, qint16(2));
    QCOMPARE(item.Status, QStringLiteral("Waiting"));
    QCOMPARE(item.FileSize, QStringLiteral("????"));
    QCOMPARE(f.store.Items().at(0).FileName, QStringLiteral("Waiting (Auto Detect)"));
    QCOMPARE(f.grid.DataSource(), pView);
    QCOMPARE(f.grid.iBindings, iBindings);
}

void tst_FileNameEditor::otherColumnsDoNotReachTheItem()
{
    Fixture f;
    f.editor.sPendingFileName = QStringLiteral("left over.flv");
    for (int iColumn : {int(DownloadViewModel::colVideo_URL), int(DownloadViewModel::colStatus),
                        int(DownloadViewModel::colFileSize)}) {
        QVERIFY(!f.Commit(0, iColumn, QStringLiteral("a?b")));
        QCOMPARE(f.grid.DataSource()->CellText(0, iColumn), QStringLiteral("a?b"));
    }
    QCOMPARE(f.editor.sPendingFileName, QStringLiteral("left over.flv"));
    const DownloadItem &item = f.store.Items().at(0);
    QCOMPARE(item.Video_URL, QStringLiteral("http://videos/A"));
    QCOMPARE(item.FileName, QStringLiteral("Waiting (Auto Detect)"));
    QCOMPARE(item.Status, QStringLiteral("Waiting"));
}

QTEST_GUILESS_MAIN(tst_FileNameEditor)
#include "tst_filenameeditor.moc"
