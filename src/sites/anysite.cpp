#include "sites/anysite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <algorithm>

#include "core/modmain.h"
#include "core/webaddress.h"
#include "sites/sitedetect.h"
#include "sites/tagreader.h"

namespace modDownload {

namespace {

constexpr const char *kMediaExtensions[] = {"mp4", "m4v", "webm", "mkv", "mov", "flv",
                                            "ogv", "avi", "3gp",  "mp3", "m4a", "ogg"};

struct TypeExtension
{
    const char *sType;
    const char *sExtension;
};

constexpr TypeExtension kTypeExtensions[] = {
    {"video/mp4", "mp4"},       {"video/x-m4v", "m4v"},   {"video/webm", "webm"},
    {"video/x-matroska", "mkv"}, {"video/quicktime", "mov"}, {"video/x-flv", "flv"},
    {"video/ogg", "ogv"},       {"video/x-msvideo", "avi"}, {"video/3gpp", "3gp"},
    {"audio/mpeg", "mp3"},      {"audio/mp4", "m4a"},     {"audio/x-m4a", "m4a"},
    {"audio/ogg", "ogg"},       {"audio/webm", "webm"},
};

// Streaming playlists: a list of pieces, saved as a stream.
constexpr const char *kPlaylistTypes[] = {"application/x-mpegurl", "application/vnd.apple.mpegurl",
                                          "audio/mpegurl", "audio/x-mpegurl",
                                          "application/dash+xml"};
constexpr const char *kPlaylistExtensions[] = {"m3u8", "mpd"};

// The ways a page names its video, in the order they are believed.
enum Form {
    OgSecureUrl,
    OgUrl,
    OgVideo,
    TwitterStream,
    JsonLd,
    VideoSrc,
    SourceSrc,
    MediaLink,
    FormCount
};

template <std::size_t N>
bool OneOf(const QString &sText, const char *const (&list)[N])
{
    for (const char *sItem : list) {
        if (sText == QLatin1StringView(sItem))
            return true;
    }
    return false;
}

// The type without its parameters, in lower case.
QString BareType(const QString &sContentType)
{
    return sContentType.section(u';', 0, 0).trimmed().toLower();
}

// The lower-case text after the last dot of a name; empty without one.
QString SuffixOf(const QString &sName)
{
    const qsizetype iDot = sName.lastIndexOf(u'.');
    return iDot < 0 ? QString() : sName.mid(iDot + 1).toLower();
}

QString PathSuffix(const QUrl &url)
{
    return SuffixOf(url.path().section(u'/', -1));
}

bool IsVideoObjectType(const QJsonValue &type)
{
    if (type.isArray()) {
        const QJsonArray types = type.toArray();
        return std::any_of(types.begin(), types.end(),
                           [](const QJsonValue &one) { return IsVideoObjectType(one); });
    }
    // "VideoObject", also written out as "https://schema.org/VideoObject".
    const QString sType = type.toString();
    return sType == QLatin1StringView("VideoObject")
           || sType.endsWith(QLatin1StringView("/VideoObject"));
}

// The contentUrl of every VideoObject in the data, also those in @graph,
// in a top-level list or nested in another object.
void CollectContentUrls(const QJsonValue &value, QStringList &urls, int iDepth = 0)
{
    if (iDepth > 32)
        return;
    if (value.isArray()) {
        for (const QJsonValue &item : value.toArray())
            CollectContentUrls(item, urls, iDepth + 1);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    if (IsVideoObjectType(object.value(QLatin1StringView("@type")))) {
        const QJsonValue contentUrl = object.value(QLatin1StringView("contentUrl"));
        if (contentUrl.isString())
            urls << contentUrl.toString();
    }
    for (auto it = object.begin(); it != object.end(); ++it)
        CollectContentUrls(it.value(), urls, iDepth + 1);
}

// What a meta tag says: one of the forms that name a video, a declared type,
// or nothing the rule reads.
enum class MetaKind { Address, OgType, TwitterType, Other };

MetaKind ReadMeta(const Tag &tag, Form &form)
{
    static constexpr struct
    {
        const char *sKey;
        MetaKind kind;
        Form form;
    } kKeys[] = {
        {"og:video:secure_url", MetaKind::Address, OgSecureUrl},
        {"og:video:url", MetaKind::Address, OgUrl},
        {"og:video", MetaKind::Address, OgVideo},
        {"twitter:player:stream", MetaKind::Address, TwitterStream},
        {"og:video:type", MetaKind::OgType, FormCount},
        {"twitter:player:stream:content_type", MetaKind::TwitterType, FormCount},
    };
    for (const QLatin1StringView sAttribute : {QLatin1StringView("property"), QLatin1StringView("name")}) {
        const QString sValue = tag.Attribute(sAttribute).trimmed();
        for (const auto &key : kKeys) {
            if (sValue.compare(QLatin1StringView(key.sKey), Qt::CaseInsensitive) == 0) {
                form = key.form;
                return key.kind;
            }
        }
    }
    return MetaKind::Other;
}

enum class Declared { Nothing, Media, Playlist, Other };

// What a declared type (a type= attribute, og:video:type) says of the
// address it goes with: a player page or a picture is not the video.
Declared DeclaredType(const QString &sType)
{
    const QString sBare = BareType(sType);
    if (sBare.isEmpty())
        return Declared::Nothing;
    if (OneOf(sBare, kPlaylistTypes))
        return Declared::Playlist;
    if (sBare.startsWith(QLatin1StringView("video/")) || sBare.startsWith(QLatin1StringView("audio/")))
        return Declared::Media;
    return Declared::Other;
}

// Whether a link can name a media file or a playlist, judged before its address is
// resolved: a page may hold a great many links. Only a link that is all query
// or fragment keeps the page's own path, and must be resolved to tell.
bool MayBeMediaLink(QStringView sHref)
{
    qsizetype iEnd = 0;
    while (iEnd < sHref.size() && sHref.at(iEnd) != u'?' && sHref.at(iEnd) != u'#')
        ++iEnd;
    if (iEnd == 0)
        return true;
    const QStringView sLast = sHref.left(iEnd).mid(sHref.left(iEnd).lastIndexOf(u'/') + 1);
    const qsizetype iDot = sLast.lastIndexOf(u'.');
    if (iDot < 0)
        return false;
    const QString sExtension = sLast.mid(iDot + 1).toString().toLower();
    return OneOf(sExtension, kMediaExtensions) || OneOf(sExtension, kPlaylistExtensions);
}

// The addresses a page names, by form, each with the slot of the type
// declared for it, if any.
struct Candidate
{
    QString sAddress;
    qsizetype iTypeSlot = -1;
};

// Open Graph groups a video's properties after its og:video: og:video:type
// speaks of the address it is grouped with, not of every video the page
// names. A group ends where one of its properties comes again.
class OgGroups
{
public:
    qsizetype SlotForAddress(Form form, QStringList &types)
    {
        const unsigned uBit = 1u << form;
        if (m_iSlot < 0 || (m_uSeen & uBit) || (form == OgVideo && m_uSeen)) {
            m_iSlot = types.size();
            types.append(QString());
            m_uSeen = 0;
            m_bTyped = false;
        }
        m_uSeen |= uBit;
        return m_iSlot;
    }

    void Type(const QString &sType, QStringList &types)
    {
        if (m_iSlot < 0 || m_bTyped) {
            m_iSlot = types.size();
            types.append(QString());
            m_uSeen = 0;
        }
        types[m_iSlot] = sType;
        m_bTyped = true;
    }

private:
    qsizetype m_iSlot = -1;
    unsigned m_uSeen = 0;
    bool m_bTyped = false;
};

} // namespace

bool IsWebAddress(const QString &sText)
{
    if (std::any_of(sText.begin(), sText.end(), [](QChar ch) { return ch.isSpace(); }))
        return false;
    // Read as the transfer reads it, but with its scheme written out.
    return IsWebUrl(QUrl(sText, QUrl::TolerantMode));
}

bool IsWanted(const QString &sText, bool bAnySite)
{
    // A sentence that mentions a site is no address of it.
    const QString sAddress = sText.trimmed();
    return IsWebAddress(sAddress) && (bAnySite || DetectSite(sAddress) != siteNone);
}

QString MediaExtensionOf(const QString &sAddress)
{
    const QString sSuffix = PathSuffix(ParseWebAddress(sAddress));
    return OneOf(sSuffix, kMediaExtensions) ? sSuffix : QString();
}

QString ExtensionForContentType(const QString &sContentType)
{
    const QString sType = BareType(sContentType);
    for (const TypeExtension &entry : kTypeExtensions) {
        if (sType == QLatin1StringView(entry.sType))
            return QString::fromLatin1(entry.sExtension);
    }
    return QString();
}

bool IsMediaAnswer(const QString &sContentType, const QString &sAddress)
{
    const QString sType = BareType(sContentType);
    if (OneOf(sType, kPlaylistTypes))
        return false;
    if (sType.startsWith(QLatin1StringView("video/")) || sType.startsWith(QLatin1StringView("audio/")))
        return true;
    const bool bGeneric = sType == QLatin1StringView("application/octet-stream")
                          || sType == QLatin1StringView("binary/octet-stream");
    return bGeneric && !MediaExtensionOf(sAddress).isEmpty();
}

bool IsPageAnswer(const QString &sContentType)
{
    const QString sType = BareType(sContentType);
    return sType == QLatin1StringView("text/html")
           || sType == QLatin1StringView("application/xhtml+xml");
}

QString OtherSiteFileName(const QString &sSuggested, const QString &sAddress,
                          const QString &sContentType)
{
    QString sName = sSuggested;
    if (sName.isEmpty())
        sName = modMain::CleanFileName(ParseWebAddress(sAddress).fileName());
    QString sExtension = MediaExtensionOf(sAddress);
    if (sExtension.isEmpty())
        sExtension = ExtensionForContentType(sContentType);
    if (!sExtension.isEmpty() && !OneOf(SuffixOf(sName), kMediaExtensions))
        sName += u'.' + sExtension;
    return sName;
}

PageVideo FindPageVideo(const QString &sPage, const QString &sPageAddress)
{
    QList<Candidate> candidates[FormCount];
    // The types declared for the candidates, by slot.
    QStringList types;
    OgGroups ogGroups;
    qsizetype iTwitterSlot = -1;
    // twitter:player:stream has one type, wherever it stands.
    auto twitterSlot = [&types, &iTwitterSlot] {
        if (iTwitterSlot < 0) {
            iTwitterSlot = types.size();
            types.append(QString());
        }
        return iTwitterSlot;
    };
    QString sBase;
    bool bInVideo = false;
    QString sOgTitle;
    QString sTitle;

    TagReader reader(sPage);
    Tag tag;
    while (reader.Next(tag)) {
        if (tag.bClosing) {
            if (tag.Is(QLatin1StringView("video")))
                bInVideo = false;
            continue;
        }
        if (tag.Is(QLatin1StringView("title"))) {
            if (sTitle.isEmpty())
                sTitle = reader.RawTextUntilClose(tag.name).toString().simplified();
        } else if (tag.Is(QLatin1StringView("meta"))) {
            if (sOgTitle.isEmpty()
                && tag.Attribute(QLatin1StringView("property")) == QLatin1StringView("og:title"))
                sOgTitle = tag.Attribute(QLatin1StringView("content")).simplified();
            Form form = FormCount;
            switch (ReadMeta(tag, form)) {
            case MetaKind::Address:
                candidates[form].append({tag.Attribute(QLatin1StringView("content")),
                                         form == TwitterStream ? twitterSlot()
                                                               : ogGroups.SlotForAddress(form, types)});
                break;
            case MetaKind::OgType:
                ogGroups.Type(tag.Attribute(QLatin1StringView("content")), types);
                break;
            case MetaKind::TwitterType:
                types[twitterSlot()] = tag.Attribute(QLatin1StringView("content"));
                break;
            case MetaKind::Other:
                break;
            }
        } else if (tag.Is(QLatin1StringView("base"))) {
            if (sBase.isEmpty())
                sBase = tag.Attribute(QLatin1StringView("href"));
        } else if (tag.Is(QLatin1StringView("video"))) {
            bInVideo = true;
            candidates[VideoSrc].append({tag.Attribute(QLatin1StringView("src"))});
        } else if (tag.Is(QLatin1StringView("source")) && bInVideo) {
            const Declared declared = DeclaredType(tag.Attribute(QLatin1StringView("type")));
            if (declared != Declared::Other)
                candidates[SourceSrc].append({tag.Attribute(QLatin1StringView("src"))});
        } else if (tag.Is(QLatin1StringView("a"))) {
            const QString sHref = tag.Attribute(QLatin1StringView("href")).trimmed();
            if (!sHref.isEmpty() && MayBeMediaLink(sHref))
                candidates[MediaLink].append({sHref});
        } else if (tag.Is(QLatin1StringView("script")) || tag.Is(QLatin1StringView("style"))) {
            // A script's text is no markup: tags written in it are not the page's.
            const bool bJsonLd = BareType(tag.Attribute(QLatin1StringView("type")))
                                 == QLatin1StringView("application/ld+json");
            const QStringView sText = reader.RawTextUntilClose(tag.name);
            if (bJsonLd) {
                // Broken data names nothing; the forms after it still count.
                const QJsonDocument data = QJsonDocument::fromJson(sText.toUtf8());
                QStringList urls;
                CollectContentUrls(data.isArray() ? QJsonValue(data.array())
                                                  : QJsonValue(data.object()),
                                   urls);
                for (const QString &sUrl : std::as_const(urls))
                    candidates[JsonLd].append({sUrl});
            }
        }
    }

    const QUrl page = ParseWebAddress(sPageAddress);
    const QUrl base = sBase.isEmpty() ? page : page.resolved(QUrl(sBase.trimmed(), QUrl::TolerantMode));
    for (int form = 0; form < FormCount; ++form) {
        for (const Candidate &candidate : std::as_const(candidates[form])) {
            const QString sCandidate = candidate.sAddress.trimmed();
            if (sCandidate.isEmpty())
                continue;
            const Declared declared =
                candidate.iTypeSlot < 0 ? Declared::Nothing : DeclaredType(types.at(candidate.iTypeSlot));
            if (declared == Declared::Other)
                continue;
            const QUrl url = base.resolved(QUrl(sCandidate, QUrl::TolerantMode));
            if (!IsWebUrl(url))
                continue;
            if (form == MediaLink && !OneOf(PathSuffix(url), kMediaExtensions)
                && !OneOf(PathSuffix(url), kPlaylistExtensions))
                continue;
            return PageVideo{url.toString(QUrl::FullyEncoded),
                             sOgTitle.isEmpty() ? sTitle : sOgTitle};
        }
    }
    return PageVideo{QString(), QString()};
}

} // namespace modDownload
