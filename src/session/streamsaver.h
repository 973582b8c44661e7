#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <QtGlobal>

#include <memory>

#include "streams/streamquality.h"

class FragmentFetcher;
class FragmentTrack;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class Remuxer;
struct YtDlpFormat;

// Saves a streaming playlist (HLS or DASH) as one file: loads the playlist
// (and the chosen variant's), fetches the fragments into work files beside
// the final name, joins them and gives the result its name, never replacing
// one that is taken.
//
// The work files ("NAME.part.video", "NAME.part.audio", with their records)
// stay after a stop or a failure, so the next Save of the same stream goes
// on at the next fragment; they go once the file has its name.
//
// Save runs on the calling thread, processing events meanwhile (as Download
// does); Cancel is the call meant to be made during it.
class StreamSaver : public QObject
{
    Q_OBJECT
public:
    enum class Result { Saved, Cancelled, Failed };

    explicit StreamSaver(QObject *pParent = nullptr);
    ~StreamSaver() override;

    void SetQuality(StreamQuality::Limit limit) { m_limit = limit; }
    // Fragments fetched at a time.
    void SetParallel(int iParallel) { m_iParallel = iParallel; }
    // Retries of a fragment before the save fails, and the share of the
    // planned waits between them that is waited (tests).
    void SetRetries(int iRetries, double dTimeScale = 1.0);

    // sFinalPath is the name wanted; its extension follows the container
    // the streams need ("mp4", else "mkv"). SavedFile then names the file.
    Result Save(const QUrl &playlistUrl, const QString &sFinalPath);
    // Saves the formats yt-dlp chose (one, or video and audio apart) as one
    // file, each format's bytes asked for with its own headers: a file in
    // ranges, a playlist as Save reads it, or the fragments yt-dlp listed.
    Result SaveFormats(const QList<YtDlpFormat> &formats, const QString &sFinalPath);
    void Cancel();
    // Sent with every request of the next Save (the playlists' too), and
    // of no later one.
    void SetExtraHeaders(const QList<QPair<QByteArray, QByteArray>> &headers)
    {
        m_extraHeaders = headers;
    }

    QString SavedFile() const { return m_sSavedFile; }
    QString ErrorString() const { return m_sError; }

    // Whether an address names a playlist by its path (".m3u8", ".mpd").
    static bool IsPlaylistAddress(const QUrl &url);
    // The work files a save of sFinalPath keeps between tries.
    static QString WorkPathFor(const QString &sFinalPath, bool bAudio);

Q_SIGNALS:
    // Playlists are loading.
    void Preparing();
    // Fragments written of all tracks, and their number.
    void Progress(qint64 iDone, qint64 iTotal);

private:
    struct Tracks;
    // Readies a save: no cancel, error or file of the last one is left.
    void Begin();
    Result SavePlaylist(const QUrl &playlistUrl, const QString &sFinalPath);
    Result SaveTracksOf(const QList<YtDlpFormat> &formats, const QString &sFinalPath);
    // The text at url (after redirects: finalUrl), or false with m_sError.
    bool Fetch(const QUrl &url, QByteArray &text, QUrl &finalUrl, QString *pContentType = nullptr);
    bool ReadHls(const QByteArray &text, const QUrl &url, Tracks &tracks);
    bool ReadDash(const QByteArray &text, const QUrl &url, Tracks &tracks);
    bool Join(const Tracks &tracks, const QString &sFinalPath);
    // A request for url with the save's headers.
    QNetworkRequest RequestFor(const QUrl &url) const;
    // The length a HEAD request for url answers; -1 for none.
    qint64 LengthOf(const QUrl &url);
    // The track of one of yt-dlp's formats, or false with m_sError.
    bool TrackOf(const YtDlpFormat &format, FragmentTrack &track);
    Result FetchAndJoin(const Tracks &tracks, const QString &sSource, const QString &sFinalPath,
                        const QList<QPair<QByteArray, QByteArray>> &audioHeaders);
    Result Fail(const QString &sWhy);

    StreamQuality::Limit m_limit = StreamQuality::Limit::Best;
    int m_iParallel = 6;
    int m_iRetries = 5;
    double m_dTimeScale = 1.0;
    std::unique_ptr<QNetworkAccessManager> m_session;
    std::unique_ptr<FragmentFetcher> m_fetcher;
    std::unique_ptr<Remuxer> m_remuxer;
    QNetworkReply *m_pReply = nullptr;
    QList<QPair<QByteArray, QByteArray>> m_extraHeaders;
    bool m_bCancelled = false;
    QString m_sSavedFile;
    QString m_sError;
};
