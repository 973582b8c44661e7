#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

#include "core/byteranges.h"
#include "core/partorigin.h"

class PartFile;
class QEventLoop;
class QNetworkAccessManager;
class QTimer;

// One file fetched over several connections at once, each asking for a
// piece of it by Range and writing it at its place in the one part.
//
// The transfer starts from an answer already open (the whole file, or the
// rest of a kept part from its first missing byte) and opens more
// connections by splitting the largest piece still open in two; a
// connection that finishes its piece takes the next one left over, or half
// of the largest piece still open. Every answer to a ranged request must
// name the part's validator and length again. A server that ignores Range,
// answers with another validator, or refuses an extra connection (429, 503)
// gets no more connections than it serves; what arrived stays. A connection
// that breaks, or an answer that may pass (see PassingFailure), is tried
// again at the byte where its piece stands while other connections go on;
// the last connection's failure ends the transfer, for the caller's retries.
//
// The part's record lists the ranges written, updated a few times a second
// and at the end, always after the bytes it counts reached the disk; the
// next transfer goes on from there with every piece where it stood.
//
// Run processes events until the transfer has ended, as Download does.
class SplitTransfer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultConnections = 4;
    static constexpr int kMaxConnections = 16;
    static constexpr qint64 kDefaultMinPiece = 4 * 1024 * 1024;

    enum class Result { Complete, Cancelled, Failed, LocalFailure };

    // The request for the file without any Range (the caller's headers).
    using RequestMaker = std::function<QNetworkRequest()>;

    // origin is the part's record: its validator and whole length.
    SplitTransfer(PartFile &file, const PartOrigin &origin, RequestMaker makeRequest,
                  const bool &bCancel, QObject *parent = nullptr);
    ~SplitTransfer() override;

    void SetConnections(int iConnections) { m_iConnections = qBound(1, iConnections, kMaxConnections); }
    // No piece smaller than this is split off.
    void SetMinPiece(qint64 lBytes) { m_lMinPiece = qMax<qint64>(lBytes, 1); }
    // Tries again of one connection, and the share of the planned waits
    // between them (tests).
    void SetRetries(int iRetries, double dTimeScale = 1.0);

    // Whether a part that holds kept of lTotal bytes is for a split
    // transfer: it has gaps that only ranges can fill, or what it lacks is
    // long enough to split.
    static bool Worthwhile(const ByteRanges &kept, qint64 lTotal, int iConnections,
                           qint64 lMinPiece);

    // first carries the file from lFirstFrom (the start of a range that
    // kept lacks) to its end; kept is what the part holds already.
    Result Run(std::unique_ptr<QNetworkReply> &first, qint64 lFirstFrom, const ByteRanges &kept);

    // Bytes the part holds.
    qint64 BytesDone() const { return m_written.Covered(); }
    // How the failed transfer's last connection failed: its transport error
    // (NoError for an answer), its status (0 for none) with Retry-After.
    QNetworkReply::NetworkError TransportError() const { return m_transportError; }
    int HttpStatus() const { return m_iHttpStatus; }
    QString HttpReason() const { return m_sHttpReason; }
    qint64 RetryAfterSeconds() const { return m_lRetryAfterSeconds; }
    int MostConnections() const { return m_iMostOpen; }

Q_SIGNALS:
    // Bytes the part holds, after every run of bytes written.
    void Progress(qint64 lDone);

private:
    struct Connection;
    enum class Verdict { Waiting, Good, NoRanges, Refused, Passing, Fatal };

    Connection &AddConnection();
    void Request(Connection &connection);
    void Attach(Connection &connection, QNetworkReply *pReply);
    void Release(Connection &connection);
    Verdict Check(Connection &connection) const;
    void OnData(Connection &connection);
    void OnFinished(Connection &connection);
    void Drain(Connection &connection);
    void PieceDone(Connection &connection);
    void Failed(Connection &connection, Verdict verdict);
    bool TakeWork(Connection &connection);
    void GiveBack(qint64 lFrom, qint64 lTo);
    void Grow();
    int Busy() const;
    bool AnyUnchecked() const;
    void Resume();
    void WakeWhenAllowed();
    void WriteRecord();
    void Tick();
    void Finish(Result result);

    PartFile &m_file;
    PartOrigin m_origin;
    RequestMaker m_makeRequest;
    const bool &m_bCancel;
    int m_iConnections = kDefaultConnections;
    qint64 m_lMinPiece = kDefaultMinPiece;
    int m_iRetries = 5;
    double m_dTimeScale = 1.0;

    std::vector<std::unique_ptr<Connection>> m_connections;
    // Missing ranges that no connection is fetching.
    QList<ByteRanges::Span> m_leftOver;
    ByteRanges m_written;
    // The connections the server is known to serve at once.
    int m_iLimit = kMaxConnections;
    int m_iMostOpen = 0;
    std::unique_ptr<QByteArray> m_buffer;
    std::unique_ptr<QTimer> m_tick;
    qint64 m_lRecordedAtMs = 0;
    bool m_bWakePlanned = false;
    // Where Resume starts, turn by turn, so no connection is always first
    // to the budget.
    size_t m_iResumeFrom = 0;
    QEventLoop *m_pLoop = nullptr;
    bool m_bFinished = false;
    Result m_result = Result::Complete;
    QNetworkReply::NetworkError m_transportError = QNetworkReply::NoError;
    int m_iHttpStatus = 0;
    QString m_sHttpReason;
    qint64 m_lRetryAfterSeconds = -1;
};
