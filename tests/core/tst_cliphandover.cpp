#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
    void socketDirIsTheUsersAlone_data();
    void socketDirIsTheUsersAlone();
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

void tst_ClipHandOver::socketDirIsTheUsersAlone_data()
{
    QTest::addColumn<QString>("sFound"); // what <runtime>/clipvane is beforehand
    QTest::addColumn<bool>("bTaken");
    QTest::newRow("missing: made") << "nothing" << true;
    QTest::newRow("ours, open to all: narrowed") << "folder 755" << true;
    QTest::newRow("ours, owner only") << "folder 700" << true;
    QTest::newRow("a link to a folder of ours") << "link" << false;
    QTest::newRow("a plain file") << "file" << false;
    QTest::newRow("someone else's") << "foreign" << false;
}

void tst_ClipHandOver::socketDirIsTheUsersAlone()
{
    QFETCH(QString, sFound);
    QFETCH(bool, bTaken);
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString sDir = runtime.filePath(QStringLiteral("clipvane"));
    const QByteArray dir = QFile::encodeName(sDir);
    const QByteArray elsewhere = QFile::encodeName(runtime.filePath(QStringLiteral("elsewhere")));
    if (sFound.startsWith(QLatin1String("folder")) || sFound == QLatin1String("foreign"))
        QVERIFY(::mkdir(dir.constData(), 0700) == 0);
    if (sFound == QLatin1String("folder 755"))
        QVERIFY(::chmod(dir.constData(), 0755) == 0);
    if (sFound == QLatin1String("link"))
        QVERIFY(::mkdir(elsewhere.constData(), 0700) == 0
                && ::chmod(elsewhere.constData(), 0755) == 0
                && ::symlink(elsewhere.constData(), dir.constData()) == 0);
    if (sFound == QLatin1String("file"))
        QVERIFY(QFile(sDir).open(QIODevice::WriteOnly));
    if (sFound == QLatin1String("foreign") && ::chown(dir.constData(), 65534, 65534) != 0)
        QSKIP("Only root can give a folder to someone else");
    struct stat before {};
    ::lstat(dir.constData(), &before);

    if (!bTaken)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Refusing ")));
    QCOMPARE(ClipHandOver::SocketDir(), bTaken ? sDir : QString());
    struct stat after {};
    QVERIFY(::lstat(dir.constData(), &after) == 0);
    if (bTaken) {
        QVERIFY(S_ISDIR(after.st_mode));
        QCOMPARE(after.st_mode & 07777, 0700u);
    } else {
        // What is there is not the program's to change, nor what a link leads to.
        QCOMPARE(after.st_mode, before.st_mode);
        struct stat target {};
        if (sFound == QLatin1String("link"))
            QCOMPARE(::stat(elsewhere.constData(), &target) == 0 ? target.st_mode & 07777 : 0u,
                     0755u);
    }
}

QTEST_GUILESS_MAIN(tst_ClipHandOver)
#include "tst_cliphandover.moc"
