#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include "core/wholefilewriter.h"
#include "fulldisk.h"

// A file replaced whole: on a full disk the old one stays as it was.
class tst_WholeFileWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullDiskLeavesTheOldFile_data();
    void fullDiskLeavesTheOldFile();
};

void tst_WholeFileWriter::fullDiskLeavesTheOldFile_data()
{
    QTest::addColumn<QByteArray>("old"); // empty: no file before
    QTest::addColumn<qint64>("lRoom");   // -1: room enough
    const QByteArray old("{\"items\":[\"a\",\"b\"]}\n");
    QTest::newRow("full at the first byte") << old << qint64(0);
    QTest::newRow("full half-way") << old << qint64(100);
    QTest::newRow("full half-way, no file before") << QByteArray() << qint64(100);
    QTest::newRow("room enough") << old << qint64(-1);
}

void tst_WholeFileWriter::fullDiskLeavesTheOldFile()
{
    QFETCH(QByteArray, old);
    QFETCH(qint64, lRoom);
    QTemporaryDir dir;
    const QString sPath = dir.filePath(QStringLiteral("kept.json"));
    if (!old.isEmpty()) {
        QFile file(sPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    // Small writes are where a buffered writer lost the failure.
    const QByteArray text(1000, 'n');

    QString sError;
    bool bWritten = false;
    {
        const FullDisk disk(lRoom < 0 ? text.size() : lRoom);
        bWritten = WholeFileWriter::Write(sPath, text, &sError);
    }

    QFile file(sPath);
    if (lRoom < 0) {
        QVERIFY2(bWritten, qPrintable(sError));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
    } else {
        QVERIFY(!bWritten);
        QCOMPARE(sError, QString::fromLocal8Bit(std::strerror(ENOSPC)));
        QCOMPARE(file.exists(), !old.isEmpty());
        if (!old.isEmpty()) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), old);
        }
    }
    // Nothing half-written is left beside it.
    const QStringList expected = old.isEmpty() && lRoom >= 0 ? QStringList()
                                                             : QStringList{QStringLiteral("kept.json")};
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), expected);
}

QTEST_GUILESS_MAIN(tst_WholeFileWriter)
#include "tst_wholefilewriter.moc"
