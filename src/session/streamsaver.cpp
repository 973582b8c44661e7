#include "session/streamsaver.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>

#include <cstdio>

#include "core/backgroundwork.h"
#include "core/partfile.h"
#include "media/remuxer.h"
#include "net/browseragent.h"
#include "net/fragmentfetcher.h"
#include "sites/ytdlpinfo.h"
#include "streams/dashreader.h"
#include "streams/hlsreader.h"
#include "streams/streamsniff.h"

namespace {

// A playlist is text; anything much larger is no playlist worth reading.
constexpr qint64 kMaxPlaylistBytes = 32 * 1024 * 1024;
// A file of known size is fetched in pieces of this many bytes: a piece
// waits in memory until written, and a stop loses at most the ones under way.
constexpr qint64 kFilePieceBytes = 4 * 1024 * 1024;
// Asking a file's length is worth a short wait only.
constexpr int kLengthTimeLimitMs = 20000;

QString ExtensionOf(const QUrl &url)
{
    const QString sName = url.path().section(u'/', -1);
    const qsizetype iDot = sName.lastIndexOf(u'.');
    return iDot < 0 ? QString() : sName.mid(iDot + 1).toLower();
}

// The wanted name without the container's extension the joined file will
// replace.
QString WithoutContainerSuffix(const QString &sPath)
{
    for (const QLatin1StringView sSuffix : {QLatin1StringView(".mp4"), QLatin1StringView(".mkv")}) {
        if (sPath.endsWith(sSuffix, Qt::CaseInsensitive))
            return sPath.chopped(sSuffix.size());
    }
    return sPath;
}

} // namespace

struct StreamSaver::Tracks
{
    FragmentTrack video;
    FragmentTrack audio;
    bool bAudio = false;
    QString sVariant;
};

StreamSaver::StreamSaver(QObject *pParent)
    : QObject(pParent)
    , m_session(std::make_unique<QNetworkAccessManager>())
    , m_fetcher(std::make_unique<FragmentFetcher>())
    , m_remuxer(std::make_unique<Remuxer>())
{
    connect(m_fetcher.get(), &FragmentFetcher::Progress, this,
            [this](qint64 iDone, qint64 iTotal, qint64) { Q_EMIT Progress(iDone, iTotal); });
}

StreamSaver::~StreamSaver() = default;

void StreamSaver::SetRetries(int iRetries, double dTimeScale)
{
    m_iRetries = iRetries;
    m_dTimeScale = dTimeScale;
}

bool StreamSaver::IsPlaylistAddress(const QUrl &url)
{
    const QString sExtension = ExtensionOf(url);
    return sExtension == QLatin1StringView("m3u8") || sExtension == QLatin1StringView("mpd");
}

QString StreamSaver::WorkPathFor(const QString &sFinalPath, bool bAudio)
{
    return PartFile::PartPathFor(sFinalPath)
        + (bAudio ? QLatin1StringView(".audio") : QLatin1StringView(".video"));
}

void StreamSaver::Cancel()
{
    m_bCancelled = true;
    if (m_pReply)
        m_pReply->abort();
    m_fetcher->Cancel();
    m_remuxer->Cancel();
}

StreamSaver::Result StreamSaver::Fail(const QString &sWhy)
{
    if (m_bCancelled)
        return Result::Cancelled;
    m_sError = sWhy;
    return Result::Failed;
}

QNetworkRequest StreamSaver::RequestFor(const QUrl &url) const
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kBrowserUserAgent));
    for (const auto &[name, value] : std::as_const(m_extraHeaders))
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    return request;
}

bool StreamSaver::Fetch(const QUrl &url, QByteArray &text, QUrl &finalUrl, QString *pContentType)
{
    QNetworkReply *pReply = m_session->get(RequestFor(url));
    m_pReply = pReply;
    bool bTooLarge = false;
    QEventLoop loop;
    connect(pReply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(pReply, &QNetworkReply::downloadProgress, &loop, [&](qint64 lReceived, qint64) {
        if (lReceived > kMaxPlaylistBytes) {
            bTooLarge = true;
            pReply->abort();
        }
    });
    if (!pReply->isFinished())
        loop.exec();
    m_pReply = nullptr;
    const int iStatus = pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    text = pReply->readAll();
    finalUrl = pReply->url();
    if (pContentType)
        *pContentType = pReply->header(QNetworkRequest::ContentTypeHeader).toString();
    const QString sError = pReply->errorString();
    pReply->deleteLater();
    if (bTooLarge) {
        m_sError = QStringLiteral("The playlist is too large");
        return false;
    }
    if (iStatus != 200) {
        m_sError = iStatus == 0 ? QStringLiteral("The playlist could not be fetched: %1").arg(sError)
                                : QStringLiteral("The playlist could not be fetched: the server "
                                                 "answered %1")
                                      .arg(iStatus);
        return false;
    }
    return true;
}

qint64 StreamSaver::LengthOf(const QUrl &url)
{
    QNetworkRequest request = RequestFor(url);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(kLengthTimeLimitMs);
    QNetworkReply *pReply = m_session->head(request);
    m_pReply = pReply;
    QEventLoop loop;
    connect(pReply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!pReply->isFinished())
        loop.exec();
    m_pReply = nullptr;
    const int iStatus = pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant length = pReply->header(QNetworkRequest::ContentLengthHeader);
    pReply->deleteLater();
    return iStatus == 200 && length.isValid() ? length.toLongLong() : -1;
}

bool StreamSaver::ReadHls(const QByteArray &text, const QUrl &url, Tracks &tracks)
{
    HlsPlaylist playlist = HlsReader::Read(text, url);
    if (playlist.refusal.IsRefused()) {
        m_sError = playlist.refusal.sReason;
        return false;
    }
    if (!playlist.bMaster) {
        tracks.video = playlist.track;
        return true;
    }
    const qsizetype iVariant = playlist.PickVariant(m_limit);
    if (iVariant < 0) {
        m_sError = StreamRefusal::Empty().sReason;
        return false;
    }
    const HlsPlaylist::Variant &variant = playlist.variants.at(iVariant);
    tracks.sVariant = variant.url.toString();
    // Each media playlist must list fragments, not point back at a list.
    auto readMedia = [this, &url](const QUrl &mediaUrl, FragmentTrack &track) {
        QByteArray mediaText;
        QUrl finalUrl;
        if (mediaUrl == url) {
            m_sError = StreamRefusal::SelfReference().sReason;
            return false;
        }
        if (!Fetch(mediaUrl, mediaText, finalUrl))
            return false;
        const HlsPlaylist media = HlsReader::Read(mediaText, finalUrl);
        if (media.refusal.IsRefused() || media.bMaster) {
            m_sError = media.bMaster ? StreamRefusal::SelfReference().sReason
                                     : media.refusal.sReason;
            return false;
        }
        track = media.track;
        return true;
    };
    if (!readMedia(variant.url, tracks.video))
        return false;
    const qsizetype iAudio = playlist.AudioFor(iVariant);
    if (iAudio >= 0) {
        tracks.bAudio = true;
        if (!readMedia(playlist.audio.at(iAudio).url, tracks.audio))
            return false;
    }
    return true;
}

bool StreamSaver::ReadDash(const QByteArray &text, const QUrl &url, Tracks &tracks)
{
    const DashManifest manifest = DashReader::Read(text, url);
    if (manifest.refusal.IsRefused()) {
        m_sError = manifest.refusal.sReason;
        return false;
    }
    const qsizetype iVideo = manifest.PickVideo(m_limit);
    const qsizetype iAudio = manifest.PickAudio();
    if (iVideo < 0 && iAudio < 0) {
        m_sError = StreamRefusal::Empty().sReason;
        return false;
    }
    // Sound alone is saved as the one track there is.
    const qsizetype iFirst = iVideo >= 0 ? iVideo : iAudio;
    tracks.video = manifest.representations.at(iFirst).Track();
    tracks.sVariant = manifest.representations.at(iFirst).sId;
    if (iVideo >= 0 && iAudio >= 0) {
        tracks.bAudio = true;
        tracks.audio = manifest.representations.at(iAudio).Track();
        tracks.sVariant += u'+' + manifest.representations.at(iAudio).sId;
    }
    return true;
}

void StreamSaver::Begin()
{
    m_bCancelled = false;
    // A remuxer once cancelled refuses every later run: a stop of an earlier
    // item must not fail this one.
    m_remuxer = std::make_unique<Remuxer>();
    m_sError.clear();
    m_sSavedFile.clear();
    Q_EMIT Preparing();
}

StreamSaver::Result StreamSaver::Save(const QUrl &playlistUrl, const QString &sFinalPath)
{
    const Result result = SavePlaylist(playlistUrl, sFinalPath);
    // The headers were this save's alone.
    m_extraHeaders.clear();
    return result;
}

StreamSaver::Result StreamSaver::SavePlaylist(const QUrl &playlistUrl, const QString &sFinalPath)
{
    Begin();

    QByteArray text;
    QUrl finalUrl;
    QString sContentType;
    if (!Fetch(playlistUrl, text, finalUrl, &sContentType))
        return Fail(m_sError);
    Tracks tracks;
    bool bRead = false;
    switch (StreamSniff::Of(sContentType, text.left(1024))) {
    case StreamSniff::Kind::Hls:
        bRead = ReadHls(text, finalUrl, tracks);
        break;
    case StreamSniff::Kind::Dash:
        bRead = ReadDash(text, finalUrl, tracks);
        break;
    case StreamSniff::Kind::None:
        m_sError = QStringLiteral("The address names no streaming playlist");
        break;
    }
    if (!bRead || m_bCancelled)
        return Fail(m_sError);

    return FetchAndJoin(tracks, playlistUrl.toString(), sFinalPath, {});
}

StreamSaver::Result StreamSaver::SaveFormats(const QList<YtDlpFormat> &formats,
                                             const QString &sFinalPath)
{
    if (formats.isEmpty())
        return Fail(QStringLiteral("yt-dlp found no format to download"));
    // One playlist is read as any playlist is, its audio group with it.
    if (formats.size() == 1 && formats.first().KindOf() == YtDlpFormat::Kind::Playlist) {
        m_extraHeaders = formats.first().headers;
        return Save(QUrl(formats.first().sUrl), sFinalPath);
    }
    const Result result = SaveTracksOf(formats, sFinalPath);
    m_extraHeaders.clear();
    return result;
}

StreamSaver::Result StreamSaver::SaveTracksOf(const QList<YtDlpFormat> &formats,
                                              const QString &sFinalPath)
{
    Begin();
    Tracks tracks;
    m_extraHeaders = formats.first().headers;
    if (!TrackOf(formats.first(), tracks.video) || m_bCancelled)
        return Fail(m_sError);
    QList<QPair<QByteArray, QByteArray>> audioHeaders;
    if (formats.size() > 1) {
        tracks.bAudio = true;
        m_extraHeaders = audioHeaders = formats.at(1).headers;
        if (!TrackOf(formats.at(1), tracks.audio) || m_bCancelled)
            return Fail(m_sError);
        m_extraHeaders = formats.first().headers;
    }
    return FetchAndJoin(tracks, formats.first().sUrl, sFinalPath, audioHeaders);
}

bool StreamSaver::TrackOf(const YtDlpFormat &format, FragmentTrack &track)
{
    switch (format.KindOf()) {
    case YtDlpFormat::Kind::File: {
        StreamFragment whole;
        whole.url = QUrl(format.sUrl);
        // Without a length the file comes as one piece, held whole until
        // written: the server is asked for it first.
        const qint64 lSize = format.lFileSize > 0 ? format.lFileSize : LengthOf(whole.url);
        if (m_bCancelled)
            return false;
        if (lSize <= 0) {
            track.fragments = {whole};
            return true;
        }
        for (qint64 lOffset = 0; lOffset < lSize; lOffset += kFilePieceBytes) {
            StreamFragment piece = whole;
            piece.lOffset = lOffset;
            piece.lLength = qMin(kFilePieceBytes, lSize - lOffset);
            piece.uSequence = static_cast<quint64>(lOffset / kFilePieceBytes);
            track.fragments.append(piece);
        }
        return true;
    }
    case YtDlpFormat::Kind::Fragments:
        for (const YtDlpFormat::Fragment &fragment : format.fragments) {
            StreamFragment piece;
            piece.url = QUrl(fragment.sUrl);
            piece.dDuration = fragment.dDuration;
            piece.uSequence = static_cast<quint64>(track.fragments.size());
            track.fragments.append(piece);
        }
        return true;
    case YtDlpFormat::Kind::Playlist: {
        QByteArray text;
        QUrl finalUrl;
        QString sContentType;
        if (!Fetch(QUrl(format.sUrl), text, finalUrl, &sContentType))
            return false;
        Tracks read;
        bool bRead = false;
        switch (StreamSniff::Of(sContentType, text.left(1024))) {
        case StreamSniff::Kind::Hls:
            bRead = ReadHls(text, finalUrl, read);
            break;
        case StreamSniff::Kind::Dash:
            bRead = ReadDash(text, finalUrl, read);
            break;
        case StreamSniff::Kind::None:
            m_sError = QStringLiteral("The address names no streaming playlist");
            break;
        }
        // yt-dlp chose this format for one track; its playlist's own second
        // track, if any, is not wanted beside the other format.
        track = read.video;
        return bRead;
    }
    case YtDlpFormat::Kind::Unsupported:
        break;
    }
    m_sError = QStringLiteral("yt-dlp offers this video only over %1, which cannot be fetched")
                   .arg(format.sProtocol);
    return false;
}

StreamSaver::Result StreamSaver::FetchAndJoin(const Tracks &tracks, const QString &sSource,
                                              const QString &sFinalPath,
                                              const QList<QPair<QByteArray, QByteArray>> &audioHeaders)
{
    m_fetcher->SetParallel(m_iParallel);
    m_fetcher->SetRetries(m_iRetries);
    m_fetcher->SetTimeScale(m_dTimeScale);
    m_fetcher->SetSource(sSource, tracks.sVariant);
    m_fetcher->ClearTracks();
    m_fetcher->ClearRawHeaders();
    // The headers of the video's format, or of the one playlist, go with
    // its requests only; the audio format's with its own.
    m_fetcher->AddTrack(tracks.video, WorkPathFor(sFinalPath, false), m_extraHeaders);
    if (tracks.bAudio)
        m_fetcher->AddTrack(tracks.audio, WorkPathFor(sFinalPath, true),
                            audioHeaders.isEmpty() ? m_extraHeaders : audioHeaders);
    m_extraHeaders.clear();
    switch (m_fetcher->Fetch()) {
    case FragmentFetcher::Result::Complete:
        break;
    case FragmentFetcher::Result::Cancelled:
        return Result::Cancelled;
    case FragmentFetcher::Result::Failed:
        return Fail(m_fetcher->ErrorString());
    }
    if (m_bCancelled)
        return Result::Cancelled;
    if (!Join(tracks, sFinalPath))
        return Fail(m_sError);
    FragmentFetcher::RemoveTrackFile(WorkPathFor(sFinalPath, false));
    FragmentFetcher::RemoveTrackFile(WorkPathFor(sFinalPath, true));
    return Result::Saved;
}

bool StreamSaver::Join(const Tracks &tracks, const QString &sFinalPath)
{
    QStringList lInputs{WorkPathFor(sFinalPath, false)};
    if (tracks.bAudio)
        lInputs << WorkPathFor(sFinalPath, true);
    // Joined under the part's name of the usual container; MP4's limits only
    // show while joining, so the name follows the container chosen.
    const QString sBase = WithoutContainerSuffix(sFinalPath);
    const QString sMp4 = sBase + QLatin1StringView(".mp4");
    // Joining a long stream takes a while: the window keeps answering, and
    // a stop reaches the remuxer, which ends soon after.
    bool bJoined = false;
    RunWhileProcessingEvents([this, &lInputs, &sMp4, &bJoined] {
        bJoined = m_remuxer->Run(lInputs, PartFile::PartPathFor(sMp4));
    });
    if (!bJoined) {
        m_sError = m_remuxer->ErrorString();
        return false;
    }
    QString sFinal = sMp4;
    if (m_remuxer->Extension() != QLatin1StringView("mp4")) {
        sFinal = sBase + u'.' + m_remuxer->Extension();
        // Our own work name: a stale one there is replaced, a link itself.
        if (std::rename(QFile::encodeName(PartFile::PartPathFor(sMp4)).constData(),
                        QFile::encodeName(PartFile::PartPathFor(sFinal)).constData())
            != 0) {
            QFile::remove(PartFile::PartPathFor(sMp4));
            m_sError = QStringLiteral("Cannot write %1").arg(PartFile::PartPathFor(sFinal));
            return false;
        }
    }
    PartFile part;
    if (!part.Continue(sFinal) || !part.Commit()) {
        m_sError = part.ErrorString().isEmpty()
            ? QStringLiteral("Cannot write %1").arg(PartFile::PartPathFor(sFinal))
            : part.ErrorString();
        part.Discard();
        return false;
    }
    m_sSavedFile = part.FinalPath();
    return true;
}
