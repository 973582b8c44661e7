#include <QLocale>
#include <QtTest>

#include <cmath>

#include "transfer/filenaming.h"
#include "transfer/modglobal.h"

class TestTransferText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void splitUrl_data();
    void splitUrl();
    void cutAtNul_data();
    void cutAtNul();
    void formatSize_data();
    void formatSize();
    void formatSizeUsesLocaleSeparator();
    void cleanFileName_data();
    void cleanFileName();
};

void TestTransferText::splitUrl_data()
{
    QTest::addColumn<QString>("sAddress");
    QTest::addColumn<QString>("sHost");
    QTest::addColumn<QString>("sPath");

    QTest::newRow("host and path") << "http://host/a/b.flv?x=1" << "host" << "/a/b.flv?x=1";
    QTest::newRow("prefix in capitals") << "HTTP://host/x" << "host" << "/x";
    QTest::newRow("host alone keeps path") << "host" << "host" << "untouched";
    QTest::newRow("prefix and host alone") << "http://host" << "host" << "untouched";
    QTest::newRow("https prefix stays") << "https://host/x" << "https:" << "//host/x";
    QTest::newRow("port and credentials stay in host")
        << "http://u:p@host:8080/x" << "u:p@host:8080" << "/x";
    QTest::newRow("slash first") << "/x/y" << "" << "/x/y";
}

void TestTransferText::splitUrl()
{
    QFETCH(QString, sAddress);
    QFETCH(QString, sHost);
    QFETCH(QString, sPath);
    QString sPathOut = QStringLiteral("untouched");
    modGlobal::SplitUrl(sAddress, sPathOut);
    QCOMPARE(sAddress, sHost);
    QCOMPARE(sPathOut, sPath);
}

void TestTransferText::cutAtNul_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<QString>("sExpected");
    QTest::newRow("no NUL") << "200" << "200";
    QTest::newRow("starts with NUL") << QString(QChar(0)) + "200" << "";
    QTest::newRow("NUL inside") << QString("20") + QChar(0) + "0  " << "20";
    QTest::newRow("empty") << "" << "";
}

void TestTransferText::cutAtNul()
{
    QFETCH(QString, sText);
    QFETCH(QString, sExpected);
    QCOMPARE(modGlobal::CutAtNul(sText), sExpected);
}

void TestTransferText::formatSize_data()
{
    QTest::addColumn<double>("dCount");
    QTest::addColumn<QString>("sExpected");

    QTest::newRow("bytes") << 1000.0 << "1000 Bytes";
    QTest::newRow("fraction of a byte") << 1023.5 << "1023.5 Bytes";
    QTest::newRow("minus one") << -1.0 << "-1 Bytes";
    QTest::newRow("zero") << 0.0 << "0 Bytes";
    QTest::newRow("one KB") << 1024.0 << "1 KB";
    QTest::newRow("1.5 KB") << 1536.0 << "1.5 KB";
    QTest::newRow("half goes to even, down") << 1280.0 << "1.2 KB";
    QTest::newRow("half goes to even, up") << 1792.0 << "1.8 KB";
    QTest::newRow("just below a MB") << 1048575.0 << "1024 KB";
    QTest::newRow("one MB") << 1048576.0 << "1 MB";
    QTest::newRow("3.25 MB to even") << 3407872.0 << "3.2 MB";
    QTest::newRow("one GB") << 1073741824.0 << "1 GB";
    QTest::newRow("past 32 bits") << 5368709120.0 << "5 GB";
    QTest::newRow("1.1 GB") << 1181116006.0 << "1.1 GB";
    QTest::newRow("2^40 and more") << std::ldexp(1.0, 40) << "";
}

void TestTransferText::formatSize()
{
    QFETCH(double, dCount);
    QFETCH(QString, sExpected);
    QCOMPARE(modMain::FormatSize(dCount), sExpected);
}

void TestTransferText::formatSizeUsesLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(modMain::FormatSize(1536.0), QStringLiteral("1,5 KB"));
    QCOMPARE(modMain::FormatSize(1023.5), QStringLiteral("1023,5 Bytes"));
}

void TestTransferText::cleanFileName_data()
{
    QTest::addColumn<QString>("sName");
    QTest::addColumn<QString>("sExpected");

    QTest::newRow("question mark") << "what?" << "what";
    QTest::newRow("nothing left") << "???" << "Enter File Name";
    QTest::newRow("empty") << "" << "Enter File Name";
    QTest::newRow("semicolon stays") << "a;b" << "a;b";
    QTest::newRow("deleted, not replaced") << "a:b" << "ab";
    QTest::newRow("all eleven") << "x\\/:*?\"<>|&,y" << "xy";
    QTest::newRow("blanks dots percent equals stay") << " a.b %=c. " << " a.b %=c. ";
    QTest::newRow("NUL") << QString("clip") + QChar(0) + ".flv" << "clip.flv";
    QTest::newRow("control characters") << "a\tb\r\nc\x7f" << "abc";
    QTest::newRow("dot") << "." << "Enter File Name";
    QTest::newRow("dot dot") << ".." << "Enter File Name";
    QTest::newRow("dot dot after cleaning") << "..\\" << "Enter File Name";
    QTest::newRow("dots are a name") << "..\\.." << "....";
}

void TestTransferText::cleanFileName()
{
    QFETCH(QString, sName);
    QFETCH(QString, sExpected);
    QCOMPARE(modMain::CleanFileName(sName), sExpected);
}

QTEST_GUILESS_MAIN(TestTransferText)
#include "tst_transfertext.moc"
