#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QtGlobal>

#include <memory>

#include "core/filerecord.h"
#include <vector>

#include "streams/fragmenttrack.h"

class QNetworkAccessManager;
class QNetworkReply;

// Fetches the fragments of one or more tracks of a stream (video, and audio
// where it comes apart) into one file per track, several requests at a time,
// each file written strictly in list order. AES-128 fragments are decrypted;
// each key address is fetched once. A fragment that arrives early waits in
// memory: started, waiting and unwritten fragments together are never more
// than Parallel().
//
// Each track file keeps a FragmentRecord of the fragments written whole,
// updated only after their bytes are written, so a fetch that ends in any
// way (a stop, a failure, the program killed) is continued by the next fetch
// of the same list; a file holding another list is started over.
//
// Fetch runs on the calling thread until the fetch has ended, processing
// events meanwhile (as Download does); its signals are emitted from inside
// it, and Cancel is the one call meant to be made during it.
class FragmentFetcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultParallel = 6;
    static constexpr int kMaxParallel = 16;

    enum class Result { Complete, Cancelled, Failed };

    explicit FragmentFetcher(QObject *parent = nullptr);
    ~FragmentFetcher() override;

    // Requests at a time, 1 to 16.
    void SetParallel(int iParallel) { m_iParallel = qBound(1, iParallel, kMaxParallel); }
    int Parallel() const { return m_iParallel; }
    // kBrowserUserAgent unless set.
    void SetUserAgent(const QByteArray &agent) { m_agent = agent; }
    // Sent with every request (a Referer, a Cookie...).
    void AddRawHeader(const QByteArray &name, const QByteArray &value);
    void ClearRawHeaders() { m_headers.clear(); }
    // Retries of a fragment or key after a failure that may pass (see
    // PassingFailure) before the whole fetch fails.
    void SetRetries(int iRetries) { m_iRetries = qMax(iRetries, 0); }
    // Where the tracks' records are kept (tests take the side file's road).
    void SetRecordPlace(RecordPlace place) { m_recordPlace = place; }
    // Every wait between tries is this share of the planned one (tests).
    void SetTimeScale(double dScale) { m_dTimeScale = dScale; }
    // A request silent for this long counts as a broken connection.
    void SetInactivityTimeoutSeconds(int iSeconds) { m_iTimeoutSeconds = iSeconds; }
    // What the track records name as the stream's source.
    void SetSource(const QString &sPlaylistUrl, const QString &sVariant);

    // Adds a track whose bytes go to sOutputPath (made when missing, never
    // through a link). Call before Fetch. Its requests carry headers too,
    // after those of AddRawHeader, and the other tracks' do not.
    void AddTrack(const FragmentTrack &track, const QString &sOutputPath,
                  const QList<QPair<QByteArray, QByteArray>> &headers = {});
    void ClearTracks();

    Result Fetch();
    // Ends the running fetch at once; what is written stays, with its record.
    void Cancel();
    // Why the last Fetch failed, e.g. "Fragment 17 of 240: the server
    // answered 404 Not Found".
    QString ErrorString() const { return m_sError; }

    // Removes a track file and its record (once its bytes are used).
    static void RemoveTrackFile(const QString &sOutputPath);

Q_SIGNALS:
    // After every fragment written: fragments written of all tracks, their
    // number, and the bytes in the track files.
    void Progress(qint64 iDone, qint64 iTotal, qint64 lBytes);
    // A fragment or key is tried again after lPlannedMs.
    void Retrying(int iRetry, int iRetries, qint64 lPlannedMs);

private:
    struct Track;
    // One request: a fragment of a track, or (iIndex < 0) the key at keyUrl.
    struct Request
    {
        int iTrack = 0;
        qint64 iIndex = -1;
        QUrl keyUrl;
        int iFailures = 0;
    };

    bool OpenTrack(Track &track);
    void Pump();
    void Start(const Request &request);
    void OnFinished(QNetworkReply *pReply, Request request);
    // Whether the answer is the bytes asked for; puts them in body, or the
    // reason in sWhy and whether trying again may help in bPassing.
    bool TakeAnswer(QNetworkReply &reply, const Request &request, QByteArray &body,
                    QString &sWhy, bool &bPassing) const;
    void Retry(const Request &request, const QNetworkReply &reply, const QString &sWhy);
    // Reads what the speed limit allows of the answer so far; false while
    // it holds some back (a timer then reads on).
    bool TakeAllowed(QNetworkReply &reply);
    void WriteReady(Track &track);
    QString Label(const Request &request) const;
    void Fail(const QString &sReason);
    void Finish(Result result);
    void EmitProgress();

    int m_iParallel = kDefaultParallel;
    RecordPlace m_recordPlace = RecordPlace::AttributeFirst;
    QByteArray m_agent;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    int m_iRetries = 5;
    double m_dTimeScale = 1.0;
    int m_iTimeoutSeconds = 60;
    QString m_sPlaylistUrl;
    QString m_sVariant;

    std::vector<std::unique_ptr<Track>> m_tracks;
    QHash<QUrl, QByteArray> m_keys;
    QHash<QUrl, bool> m_keysAsked;
    std::unique_ptr<QNetworkAccessManager> m_session;
    QEventLoop *m_pLoop = nullptr;
    // Bytes of each answer read so far; answers the speed limit holds, and
    // those of them that finished meanwhile.
    QHash<QNetworkReply *, QByteArray> m_received;
    QSet<QNetworkReply *> m_held;
    QHash<QNetworkReply *, Request> m_finishing;
    bool m_bRunning = false;
    bool m_bFinished = false;
    Result m_result = Result::Complete;
    QString m_sError;
};
