#include <QTest>

#include <optional>

#include "core/cliphandover.h"

// Which copied texts travel from the watcher to the program, and how.
class tst_ClipHandOver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void forwardable_data();
    void forwardable();
    void framesSurviveBeingSplit();
    void overlongFrameIsRefused();
};

void tst_ClipHandOver::forwardable_data()
{
    QTest::addColumn<QString>("sCopied");
    QTest::addColumn<bool>("bForwarded");
    QTest::addColumn<QString>("sHandedOver");
    const QString sUrl = QStringLiteral("http://www.youtube.com/watch?v=x");
    QTest::newRow("one line") << sUrl << true << sUrl;
    QTest::newRow("trailing line feed") << sUrl + "\n" << true << sUrl;
    QTest::newRow("trailing CR LF") << sUrl + "\r\n" << true << sUrl;
    QTest::newRow("trailing CR") << sUrl + "\r" << true << sUrl;
    QTest::newRow("spaces kept") << " a b " << true << " a b ";
    QTest::newRow("longest") << QString(2048, u'a') << true << QString(2048, u'a');
    QTest::newRow("longest and a line feed") << QString(2048, u'a') + "\n" << true
                                             << QString(2048, u'a');
    QTest::newRow("one too long") << QString(2049, u'a') << false << QString();
    QTest::newRow("two lines") << sUrl + "\nmore" << false << QString();
    QTest::newRow("two trailing line feeds") << sUrl + "\n\n" << false << QString();
    QTest::newRow("carriage return inside") << "a\rb" << false << QString();
    QTest::newRow("empty") << QString() << false << QString();
    QTest::newRow("only a line feed") << "\n" << false << QString();
}

void tst_ClipHandOver::forwardable()
{
    QFETCH(QString, sCopied);
    QFETCH(bool, bForwarded);
    QFETCH(QString, sHandedOver);
    const std::optional<QString> sText = ClipHandOver::Forwardable(sCopied);
    QCOMPARE(sText.has_value(), bForwarded);
    if (bForwarded)
        QCOMPARE(*sText, sHandedOver);
}

void tst_ClipHandOver::framesSurviveBeingSplit()
{
    const QString sText = QStringLiteral("http://dailymotion.com/v/ä€😀");
    const QByteArray frame = ClipHandOver::Frame(sText) + ClipHandOver::Frame(QStringLiteral("b"));
    QByteArray buffer;
    QStringList texts;
    // Byte by byte, cutting through the characters' UTF-8 sequences.
    for (char c : frame) {
        buffer += c;
        QString sFrame;
        bool bOverlong = true;
        while (ClipHandOver::TakeFrame(buffer, sFrame, bOverlong))
            texts << sFrame;
        QVERIFY(!bOverlong);
    }
    QCOMPARE(texts, (QStringList{sText, QStringLiteral("b")}));
    QVERIFY(buffer.isEmpty());
}

void tst_ClipHandOver::overlongFrameIsRefused()
{
    // The longest text of the widest characters still fits; more than four
    // bytes a character without a line feed cannot be a frame any more.
    QByteArray buffer = ClipHandOver::Frame(QString(2048, QChar(u'€')));
    QString sFrame;
    bool bOverlong = false;
    QVERIFY(ClipHandOver::TakeFrame(buffer, sFrame, bOverlong));
    buffer = QByteArray(2048 * 4 + 2, 'x');
    QVERIFY(!ClipHandOver::TakeFrame(buffer, sFrame, bOverlong));
    QVERIFY(bOverlong);
}

QTEST_GUILESS_MAIN(tst_ClipHandOver)
#include "tst_cliphandover.moc"
