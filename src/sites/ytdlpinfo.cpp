#include "sites/ytdlpinfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrl>

namespace {

bool IsWeb(const QString &sAddress)
{
    const QUrl url(sAddress);
    return url.isValid() && (url.scheme() == QLatin1StringView("http")
                             || url.scheme() == QLatin1StringView("https"));
}

// Headers the transfer sets itself: a site's value would break resuming,
// the length of what is written, or the connection.
bool IsOwnHeader(const QByteArray &name)
{
    static const QList<QByteArray> own{"accept-encoding", "range", "if-range", "host",
                                       "content-length", "connection", "transfer-encoding"};
    return own.contains(name.toLower());
}

// yt-dlp gives a format's cookies as one text of "name=value" pairs each
// followed by its attributes; only the pairs go into the Cookie header.
QByteArray CookieHeaderOf(const QString &sCookies)
{
    static const QStringList attributes{QStringLiteral("domain"),  QStringLiteral("path"),
                                        QStringLiteral("expires"), QStringLiteral("max-age"),
                                        QStringLiteral("secure"),  QStringLiteral("httponly"),
                                        QStringLiteral("samesite")};
    QStringList pairs;
    for (const QString &sPart : sCookies.split(u';', Qt::SkipEmptyParts)) {
        const QString sPair = sPart.trimmed();
        const QString sName = sPair.section(u'=', 0, 0).trimmed();
        if (sName.isEmpty() || !sPair.contains(u'=') || attributes.contains(sName.toLower()))
            continue;
        pairs << sPair;
    }
    return pairs.join(QStringLiteral("; ")).toUtf8();
}

YtDlpFormat FormatOf(const QJsonObject &object, const QJsonObject &whole)
{
    YtDlpFormat format;
    format.sUrl = object.value(QLatin1StringView("url")).toString();
    format.sProtocol = object.value(QLatin1StringView("protocol")).toString().toLower();
    format.sExt = object.value(QLatin1StringView("ext")).toString();
    const QJsonValue size = object.value(QLatin1StringView("filesize"));
    if (size.isDouble() && size.toDouble() > 0)
        format.lFileSize = static_cast<qint64>(size.toDouble());
    format.bDrm = object.value(QLatin1StringView("has_drm")).toBool();
    QJsonObject headers = object.value(QLatin1StringView("http_headers")).toObject();
    if (headers.isEmpty())
        headers = whole.value(QLatin1StringView("http_headers")).toObject();
    for (auto it = headers.begin(); it != headers.end(); ++it) {
        const QByteArray name = it.key().toLatin1();
        const QString sValue = it.value().toString();
        // A line break would let a value add headers of its own.
        if (name.isEmpty() || IsOwnHeader(name) || sValue.contains(u'\r') || sValue.contains(u'\n'))
            continue;
        format.headers.append({name, sValue.toUtf8()});
    }
    const QByteArray cookies =
        CookieHeaderOf(object.value(QLatin1StringView("cookies")).toString());
    if (!cookies.isEmpty() && !cookies.contains('\r') && !cookies.contains('\n'))
        format.headers.append({QByteArrayLiteral("Cookie"), cookies});
    const QUrl base(object.value(QLatin1StringView("fragment_base_url")).toString());
    for (const QJsonValue &value : object.value(QLatin1StringView("fragments")).toArray()) {
        const QJsonObject fragment = value.toObject();
        YtDlpFormat::Fragment piece;
        piece.sUrl = fragment.value(QLatin1StringView("url")).toString();
        if (piece.sUrl.isEmpty())
            piece.sUrl = base.resolved(QUrl(fragment.value(QLatin1StringView("path")).toString()))
                             .toString();
        piece.dDuration = fragment.value(QLatin1StringView("duration")).toDouble();
        format.fragments.append(piece);
    }
    return format;
}

} // namespace

YtDlpFormat::Kind YtDlpFormat::KindOf() const
{
    if (sProtocol == QLatin1StringView("http") || sProtocol == QLatin1StringView("https"))
        return IsWeb(sUrl) ? Kind::File : Kind::Unsupported;
    if (sProtocol.startsWith(QLatin1StringView("m3u8")))
        return IsWeb(sUrl) ? Kind::Playlist : Kind::Unsupported;
    if (sProtocol == QLatin1StringView("http_dash_segments")) {
        if (fragments.isEmpty())
            return IsWeb(sUrl) ? Kind::Playlist : Kind::Unsupported;
        for (const Fragment &fragment : fragments) {
            if (!IsWeb(fragment.sUrl))
                return Kind::Unsupported;
        }
        return Kind::Fragments;
    }
    return Kind::Unsupported;
}

YtDlpInfo YtDlpInfo::Read(const QByteArray &json)
{
    YtDlpInfo info;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        info.sError = json.trimmed().isEmpty()
            ? QStringLiteral("yt-dlp gave no answer")
            : QStringLiteral("yt-dlp gave an answer that is not JSON");
        return info;
    }
    const QJsonObject whole = document.object();
    info.sTitle = whole.value(QLatin1StringView("title")).toString().simplified();
    info.sExt = whole.value(QLatin1StringView("ext")).toString();
    const QString sType = whole.value(QLatin1StringView("_type")).toString();
    if (sType == QLatin1StringView("playlist") || sType == QLatin1StringView("multi_video")) {
        info.bPlaylist = true;
        for (const QJsonValue &value : whole.value(QLatin1StringView("entries")).toArray()) {
            const QJsonObject entry = value.toObject();
            QString sAddress = entry.value(QLatin1StringView("webpage_url")).toString();
            if (!IsWeb(sAddress))
                sAddress = entry.value(QLatin1StringView("url")).toString();
            if (!IsWeb(sAddress))
                continue;
            ++info.iEntryCount;
            if (info.entries.size() < kMaxEntries)
                info.entries << sAddress;
        }
        info.bRead = true;
        return info;
    }
    const QJsonArray requested = whole.value(QLatin1StringView("requested_formats")).toArray();
    for (const QJsonValue &value : requested)
        info.formats.append(FormatOf(value.toObject(), whole));
    if (info.formats.isEmpty() && whole.contains(QLatin1StringView("url")))
        info.formats.append(FormatOf(whole, whole));
    if (whole.value(QLatin1StringView("has_drm")).toBool() && info.formats.size() == 1)
        info.formats.first().bDrm = true;
    if (info.formats.isEmpty()) {
        info.sError = QStringLiteral("yt-dlp found no format to download");
        return info;
    }
    info.bRead = true;
    return info;
}

bool YtDlpInfo::HasDrm() const
{
    for (const YtDlpFormat &format : formats) {
        if (format.bDrm)
            return true;
    }
    return false;
}

QString YtDlpInfo::FileName() const
{
    QString sFinal = sExt.isEmpty() && !formats.isEmpty() ? formats.first().sExt : sExt;
    if (sFinal.isEmpty())
        sFinal = QStringLiteral("mp4");
    return (sTitle.isEmpty() ? QStringLiteral("video") : sTitle) + u'.' + sFinal;
}

QString YtDlpInfo::UnsupportedReason() const
{
    for (const YtDlpFormat &format : formats) {
        if (format.KindOf() == YtDlpFormat::Kind::Unsupported)
            return QStringLiteral("yt-dlp offers this video only over %1, which cannot be fetched")
                .arg(format.sProtocol.isEmpty() ? QStringLiteral("an unknown protocol")
                                                : format.sProtocol);
    }
    return QString();
}
