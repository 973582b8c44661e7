#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "net/aes128decryptor.h"
#include "requiredtool.h"

namespace {

const QByteArray kKey = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
const QByteArray kIv = QByteArray::fromHex("00000000000000000000000000000011");

QByteArray Plain(int iSize)
{
    QByteArray data(iSize, Qt::Uninitialized);
    for (int i = 0; i < iSize; ++i)
        data[i] = char(i * 7 + 3);
    return data;
}

// The openssl program's ciphertext, with its PKCS#7 padding.
QByteArray OpensslEncrypt(const QByteArray &plain)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("enc"), QStringLiteral("-aes-128-cbc"),
                   QStringLiteral("-K"), QString::fromLatin1(kKey.toHex()),
                   QStringLiteral("-iv"), QString::fromLatin1(kIv.toHex())});
    openssl.write(plain);
    openssl.closeWriteChannel();
    openssl.waitForFinished(30000);
    return openssl.readAllStandardOutput();
}

} // namespace

class tst_Aes128Decryptor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decryptsWhatOpensslEncrypts_data();
    void decryptsWhatOpensslEncrypts();
    void refusesBadInput_data();
    void refusesBadInput();
};

void tst_Aes128Decryptor::decryptsWhatOpensslEncrypts_data()
{
    QTest::addColumn<int>("iSize");
    QTest::addColumn<int>("iPiece"); // ciphertext handed over in pieces of this size
    QTest::newRow("empty: one block of padding") << 0 << 16;
    QTest::newRow("one byte") << 1 << 16;
    QTest::newRow("one short of a block") << 15 << 16;
    QTest::newRow("a whole block: a block of padding more") << 16 << 16;
    QTest::newRow("a block and a byte, bytewise") << 17 << 1;
    QTest::newRow("a fragment, in odd pieces") << 188 * 50 << 1000;
    QTest::newRow("a fragment at once") << 188 * 50 << 188 * 64;
}

void tst_Aes128Decryptor::decryptsWhatOpensslEncrypts()
{
    CLIPVANE_REQUIRE_TOOL(!QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty(),
                          "openssl is not installed");
    QFETCH(int, iSize);
    QFETCH(int, iPiece);
    const QByteArray plain = Plain(iSize);
    const QByteArray cipher = OpensslEncrypt(plain);
    QCOMPARE(cipher.size(), (iSize / 16 + 1) * 16);

    Aes128Decryptor decryptor;
    QByteArray out;
    QVERIFY(decryptor.Start(kKey, kIv));
    for (qsizetype i = 0; i < cipher.size(); i += iPiece) {
        const qsizetype iLength = qMin<qsizetype>(iPiece, cipher.size() - i);
        QVERIFY(decryptor.Update(QByteArrayView(cipher).sliced(i, iLength), out));
    }
    QVERIFY2(decryptor.Final(out), qPrintable(decryptor.ErrorString()));
    QCOMPARE(out, plain);

    QByteArray once;
    QString sError;
    QVERIFY(Aes128Decryptor::Decrypt(kKey, kIv, cipher, once, sError));
    QCOMPARE(once, plain);
}

void tst_Aes128Decryptor::refusesBadInput_data()
{
    // AES-128-CBC of "abc" under kKey and kIv, from openssl enc.
    const QByteArray cipher = QByteArray::fromHex("53ccff21871cc488559a864b47558f8d");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("iv");
    QTest::addColumn<QByteArray>("cipher");
    QTest::addColumn<QString>("sError");
    QTest::newRow("the good one") << kKey << kIv << cipher << QString();
    QTest::newRow("a 15-byte key") << kKey.left(15) << kIv << cipher
                                   << QStringLiteral("The key is 15 bytes long instead of 16");
    QTest::newRow("a 32-byte key") << kKey + kKey << kIv << cipher
                                   << QStringLiteral("The key is 32 bytes long instead of 16");
    QTest::newRow("an 8-byte IV") << kKey << kIv.left(8) << cipher
                                  << QStringLiteral("The IV is 8 bytes long instead of 16");
    const QString sPadding =
        QStringLiteral("The decrypted data ends in bad padding (a wrong key or IV?)");
    QTest::newRow("a wrong key") << QByteArray(16, 'k') << kIv << cipher << sPadding;
    QTest::newRow("cut inside a block") << kKey << kIv << cipher.left(10) << sPadding;
    QTest::newRow("nothing at all") << kKey << kIv << QByteArray() << sPadding;
}

void tst_Aes128Decryptor::refusesBadInput()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, iv);
    QFETCH(QByteArray, cipher);
    QFETCH(QString, sError);
    QByteArray plain;
    QString sGot;
    QCOMPARE(Aes128Decryptor::Decrypt(key, iv, cipher, plain, sGot), sError.isEmpty());
    QCOMPARE(sGot, sError);
    QCOMPARE(plain, sError.isEmpty() ? QByteArray("abc") : QByteArray());
}

QTEST_GUILESS_MAIN(tst_Aes128Decryptor)
#include "tst_aes128decryptor.moc"
