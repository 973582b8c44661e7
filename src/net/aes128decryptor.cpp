#include "net/aes128decryptor.h"

#include <openssl/evp.h>

#include <climits>

struct Aes128Decryptor::Context
{
    EVP_CIPHER_CTX *pCtx = EVP_CIPHER_CTX_new();
    ~Context() { EVP_CIPHER_CTX_free(pCtx); }
};

Aes128Decryptor::Aes128Decryptor() : m_context(std::make_unique<Context>()) {}

Aes128Decryptor::~Aes128Decryptor() = default;

bool Aes128Decryptor::Fail(const QString &sWhat)
{
    m_bStarted = false;
    m_sError = sWhat;
    return false;
}

bool Aes128Decryptor::Start(QByteArrayView key, QByteArrayView iv)
{
    m_sError.clear();
    m_bStarted = false;
    if (key.size() != kKeySize)
        return Fail(QStringLiteral("The key is %1 bytes long instead of 16").arg(key.size()));
    if (iv.size() != kIvSize)
        return Fail(QStringLiteral("The IV is %1 bytes long instead of 16").arg(iv.size()));
    if (!m_context->pCtx
        || EVP_DecryptInit_ex(m_context->pCtx, EVP_aes_128_cbc(), nullptr,
                              reinterpret_cast<const unsigned char *>(key.data()),
                              reinterpret_cast<const unsigned char *>(iv.data()))
            != 1)
        return Fail(QStringLiteral("The decryption could not be set up"));
    m_bStarted = true;
    return true;
}

bool Aes128Decryptor::Update(QByteArrayView cipher, QByteArray &out)
{
    if (!m_bStarted)
        return Fail(QStringLiteral("The decryption was not started"));
    // EVP takes int lengths: feed a huge input in pieces.
    constexpr qsizetype kPiece = INT_MAX / 2;
    for (qsizetype iAt = 0; iAt < cipher.size(); iAt += kPiece) {
        const QByteArrayView piece = cipher.sliced(iAt, qMin(kPiece, cipher.size() - iAt));
        const qsizetype iOld = out.size();
        out.resize(iOld + piece.size() + kIvSize);
        int iWritten = 0;
        if (EVP_DecryptUpdate(m_context->pCtx, reinterpret_cast<unsigned char *>(out.data() + iOld),
                              &iWritten, reinterpret_cast<const unsigned char *>(piece.data()),
                              static_cast<int>(piece.size()))
            != 1) {
            out.resize(iOld);
            return Fail(QStringLiteral("The data could not be decrypted"));
        }
        out.resize(iOld + iWritten);
    }
    return true;
}

bool Aes128Decryptor::Final(QByteArray &out)
{
    if (!m_bStarted)
        return Fail(QStringLiteral("The decryption was not started"));
    const qsizetype iOld = out.size();
    out.resize(iOld + kIvSize);
    int iWritten = 0;
    const bool bOk = EVP_DecryptFinal_ex(m_context->pCtx,
                                         reinterpret_cast<unsigned char *>(out.data() + iOld),
                                         &iWritten)
        == 1;
    out.resize(iOld + (bOk ? iWritten : 0));
    m_bStarted = false;
    if (!bOk)
        return Fail(QStringLiteral("The decrypted data ends in bad padding (a wrong key or IV?)"));
    return true;
}

bool Aes128Decryptor::Decrypt(QByteArrayView key, QByteArrayView iv, QByteArrayView cipher,
                              QByteArray &plain, QString &sError)
{
    Aes128Decryptor decryptor;
    plain.clear();
    plain.reserve(cipher.size());
    const bool bOk = decryptor.Start(key, iv) && decryptor.Update(cipher, plain)
        && decryptor.Final(plain);
    if (!bOk) {
        plain.clear();
        sError = decryptor.ErrorString();
    }
    return bOk;
}
