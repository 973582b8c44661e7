#include <QLocale>
#include <QtTest>

#include <cmath>

#include "core/modglobal.h"
#include "core/modmain.h"

class tst_TextHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void splitUrl_data()
    {
        QTest::addColumn<QString>("sAddress");
        QTest::addColumn<QString>("sHostAndPath"); // "host|path"
        QTest::newRow("host and path") << "http://host/a/b.flv?x=1" << "host|/a/b.flv?x=1";
        QTest::newRow("prefix in capitals") << "HTTP://host/x" << "host|/x";
        QTest::newRow("host alone keeps path") << "host" << "host|untouched";
        QTest::newRow("prefix and host alone") << "http://host" << "host|untouched";
        QTest::newRow("https prefix stays") << "https://host/x" << "https:|//host/x";
        QTest::newRow("port and credentials") << "http://u:p@h:81/x" << "u:p@h:81|/x";
    }

    void splitUrl()
    {
        QFETCH(QString, sAddress);
        QFETCH(QString, sHostAndPath);
        QString sPath = QStringLiteral("untouched");
        modGlobal::SplitUrl(sAddress, sPath);
        QCOMPARE(sAddress + "|" + sPath, sHostAndPath);
    }

    void cutAtNul()
    {
        QCOMPARE(modGlobal::CutAtNul(QStringLiteral("200")), QStringLiteral("200"));
        QCOMPARE(modGlobal::CutAtNul(QString(QChar(0)) + "200"), QString());
        QCOMPARE(modGlobal::CutAtNul(QString("20") + QChar(0) + "0"), QStringLiteral("20"));
    }

    void formatSize_data()
    {
        QTest::addColumn<double>("dCount");
        QTest::addColumn<QString>("sExpected");
        QTest::newRow("bytes") << 1000.0 << "1000 Bytes";
        QTest::newRow("fraction of a byte") << 1023.5 << "1023.5 Bytes";
        QTest::newRow("minus one") << -1.0 << "-1 Bytes";
        QTest::newRow("one KB") << 1024.0 << "1 KB";
        QTest::newRow("1.5 KB") << 1536.0 << "1.5 KB";
        QTest::newRow("half to even, down") << 1280.0 << "1.2 KB";
        QTest::newRow("half to even, up") << 1792.0 << "1.8 KB";
        QTest::newRow("just below a MB") << 1048575.0 << "1024 KB";
        QTest::newRow("one MB") << 1048576.0 << "1 MB";
        QTest::newRow("3.25 MB to even") << 3407872.0 << "3.2 MB";
        QTest::newRow("1.1 GB") << 1181116006.0 << "1.1 GB";
        QTest::newRow("past 32 bits") << 5368709120.0 << "5 GB";
        QTest::newRow("2^40 and more") << std::ldexp(1.0, 40) << "";
    }

    void formatSize()
    {
        QFETCH(double, dCount);
        QFETCH(QString, sExpected);
        QCOMPARE(modMain::FormatSize(dCount), sExpected);
    }

    void formatSizeUsesLocaleSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(modMain::FormatSize(1536.0), QStringLiteral("1,5 KB"));
        QCOMPARE(modMain::FormatSize(1023.5), QStringLiteral("1023,5 Bytes"));
    }

    void cleanFileName_data()
    {
        QTest::addColumn<QString>("sName");
        QTest::addColumn<QString>("sExpected");
        QTest::newRow("question mark") << "what?" << "what";
        QTest::newRow("nothing left") << "???" << "Enter File Name";
        QTest::newRow("semicolon stays") << "a;b" << "a;b";
        QTest::newRow("all eleven deleted") << "x\\/:*?\"<>|&,y" << "xy";
        QTest::newRow("blanks dots percent equals stay") << " a.b %=c. " << " a.b %=c. ";
        QTest::newRow("NUL") << QString("clip") + QChar(0) + ".flv" << "clip.flv";
        QTest::newRow("control characters") << "a\tb\r\nc\x7f" << "abc";
        QTest::newRow("dot") << "." << "Enter File Name";
        QTest::newRow("dot dot after cleaning") << "..\\" << "Enter File Name";
        QTest::newRow("more dots are a name") << "..\\.." << "....";
    }

    void cleanFileName()
    {
        QFETCH(QString, sName);
        QFETCH(QString, sExpected);
        QCOMPARE(modMain::CleanFileName(sName), sExpected);
    }

    // Names are cut to what the file system takes, counted in UTF-8 bytes,
    // never inside a character, and keep their extension; numbered names
    // keep their number.
    void fitFileName_data()
    {
        QTest::addColumn<QString>("sName");
        QTest::addColumn<int>("iNumber"); // 0: not numbered
        QTest::addColumn<QString>("sExpected");
        const QString sHan = QStringLiteral("\u65E5"); // three bytes
        const QString sSmile = QStringLiteral("\U0001F600"); // four bytes, two UTF-16 units
        QTest::newRow("short name untouched") << "clip.mp4" << 0 << "clip.mp4";
        QTest::newRow("250 bytes untouched") << QString(246, 'a') + ".mp4" << 0
                                             << QString(246, 'a') + ".mp4";
        QTest::newRow("100 characters, 292 bytes") << sHan.repeated(96) + ".mp4" << 0
                                                   << sHan.repeated(82) + ".mp4";
        QTest::newRow("never half a surrogate pair") << sSmile.repeated(70) + ".flv" << 0
                                                     << sSmile.repeated(61) + ".flv";
        QTest::newRow("no extension") << QString(300, 'b') << 0 << QString(250, 'b');
        QTest::newRow("a long tail is no extension")
            << QString(280, 'c') + "." + QString(20, 'd') << 0 << QString(250, 'c');
        QTest::newRow("numbered") << "clip.mp4" << 2 << "clip (2).mp4";
        QTest::newRow("numbered without extension") << "clip" << 3 << "clip (3)";
        QTest::newRow("numbered at the limit") << QString(246, 'a') + ".mp4" << 12
                                               << QString(241, 'a') + " (12).mp4";
    }

    void fitFileName()
    {
        QFETCH(QString, sName);
        QFETCH(int, iNumber);
        QFETCH(QString, sExpected);
        const QString sFitted = iNumber == 0 ? modMain::FitFileName(sName)
                                             : modMain::NumberedFileName(sName, iNumber);
        QCOMPARE(sFitted, sExpected);
        QVERIFY(sFitted.toUtf8().size() <= modMain::kMaxFileNameBytes);
        QVERIFY(!sFitted.toUtf8().contains("\xEF\xBF\xBD")); // no broken character
    }
};

QTEST_GUILESS_MAIN(tst_TextHelpers)
#include "tst_texthelpers.moc"
