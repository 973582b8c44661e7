#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

// Decrypts AES-128-CBC with PKCS#7 padding (how encrypted stream fragments
// are sent) through OpenSSL's EVP interface. Start once, Update with the
// ciphertext as it arrives, Final for the last block; the padding is checked
// and removed by Final. Any failure leaves ErrorString saying why.
class Aes128Decryptor
{
public:
    static constexpr qsizetype kKeySize = 16;
    static constexpr qsizetype kIvSize = 16;

    Aes128Decryptor();
    ~Aes128Decryptor();
    Aes128Decryptor(const Aes128Decryptor &) = delete;
    Aes128Decryptor &operator=(const Aes128Decryptor &) = delete;

    // False when the key or the IV is not 16 bytes.
    bool Start(QByteArrayView key, QByteArrayView iv);
    // Appends the plaintext that the ciphertext so far gives to out.
    bool Update(QByteArrayView cipher, QByteArray &out);
    // Appends the last block without its padding; false when the
    // ciphertext was not whole blocks or the padding is wrong.
    bool Final(QByteArray &out);

    QString ErrorString() const { return m_sError; }

    // The whole of one ciphertext at once; sError says why it failed.
    static bool Decrypt(QByteArrayView key, QByteArrayView iv, QByteArrayView cipher,
                        QByteArray &plain, QString &sError);

private:
    bool Fail(const QString &sWhat);

    struct Context;
    std::unique_ptr<Context> m_context;
    bool m_bStarted = false;
    QString m_sError;
};
