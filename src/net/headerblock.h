#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

class QNetworkReply;

// The response header block of an HTTP answer as one text: the status line
// and every header line, each ended by CR LF, names and values as the server
// sent them. The information request reads its properties out of this text
// with plain searches, which is why it is kept as text at all.
class HeaderBlock
{
public:
    explicit HeaderBlock(QString sText) : m_sText(std::move(sText)) {}

    // Qt hands over the parsed answer, not the raw bytes. The status line is
    // rebuilt as "HTTP/1.1 <code> <reason>" because Qt does not tell which
    // protocol version the server named (HTTP/2 is never asked for).
    // Repeated header lines arrive already merged by Qt ("a, b").
    static HeaderBlock FromReply(const QNetworkReply &reply);

    // The text after the first occurrence of sKey (searched without regard to
    // case) up to the next CR LF, unchanged. A null string when sKey is absent.
    QString ValueAfter(QLatin1StringView sKey) const;
    bool Contains(QLatin1StringView sKey) const;

    // The file name the server suggests, as a name alone: the extended
    // "filename*=" form (RFC 6266 and 5987: charset''percent-encoded) when
    // present and readable, else the plain "filename=" value up to its
    // closing quote, or up to the next ";" when unquoted. Empty when neither
    // gives a name.
    QString SuggestedFileName() const;

    // A length or byte position as HTTP writes it: digits alone, around
    // which only blanks may stand. -1 for anything else (a sign, a fraction,
    // an exponent, "nan", a number past 63 bits).
    static qint64 ParseLength(QByteArrayView text);

    const QString &Text() const { return m_sText; }

private:
    QString m_sText;
};
