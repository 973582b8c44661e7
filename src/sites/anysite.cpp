#include "sites/anysite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <algorithm>

#include "core/modmain.h"
#include "sites/sitedetect.h"

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

// Streaming playlists: a list of pieces, not a file this program can copy.
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

QUrl ParseAddress(const QString &sAddress)
{
    // An address without a scheme is taken as http, as the transfer takes it.
    return QUrl(sAddress.contains(QLatin1StringView("://")) ? sAddress
                                                            : QLatin1StringView("http://") + sAddress,
                QUrl::TolerantMode);
}

bool IsWebUrl(const QUrl &url)
{
    const QString sScheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (sScheme == QLatin1StringView("http") || sScheme == QLatin1StringView("https"));
}

bool DecodeReference(QStringView ref, QString &sOut)
{
    if (ref == u"amp")
        sOut += u'&';
    else if (ref == u"quot")
        sOut += u'"';
    else if (ref == u"apos")
        sOut += u'\'';
    else if (ref == u"lt")
        sOut += u'<';
    else if (ref == u"gt")
        sOut += u'>';
    else if (ref.startsWith(u'#')) {
        const bool bHex = ref.size() > 1 && (ref.at(1) == u'x' || ref.at(1) == u'X');
        bool bOk = false;
        const uint uCode = ref.mid(bHex ? 2 : 1).toUInt(&bOk, bHex ? 16 : 10);
        if (!bOk || uCode == 0 || uCode > 0x10FFFF)
            return false;
        const char32_t code = uCode;
        sOut += QString::fromUcs4(&code, 1);
    } else {
        return false;
    }
    return true;
}

// Attribute values carry character references ("&amp;" in a query above all).
QString DecodeEntities(const QString &sText)
{
    if (!sText.contains(u'&'))
        return sText;
    QString sOut;
    sOut.reserve(sText.size());
    for (qsizetype i = 0; i < sText.size(); ++i) {
        if (sText.at(i) == u'&') {
            const qsizetype iSemi = sText.indexOf(u';', i + 1);
            if (iSemi > i + 1 && iSemi - i <= 10
                && DecodeReference(QStringView(sText).mid(i + 1, iSemi - i - 1), sOut)) {
                i = iSemi;
                continue;
            }
        }
        sOut += sText.at(i);
    }
    return sOut;
}

struct Tag
{
    QString sName; // lower case
    bool bClosing = false;
    QList<std::pair<QString, QString>> attributes; // names in lower case, values as written

    QString Attribute(QLatin1StringView sName) const
    {
        for (const auto &attribute : attributes) {
            if (attribute.first == sName)
                return attribute.second;
        }
        return QString();
    }
};

// Walks the tags of a page as browsers read them, closely enough for the
// few tags the rule looks at: names and attributes in any order, values in
// single, double or no quotes, comments skipped.
class TagReader
{
public:
    explicit TagReader(const QString &sPage) : m_sPage(sPage) {}

    bool Next(Tag &tag)
    {
        const qsizetype n = m_sPage.size();
        for (;;) {
            const qsizetype iOpen = m_sPage.indexOf(u'<', m_iPos);
            if (iOpen < 0) {
                m_iPos = n;
                return false;
            }
            if (QStringView(m_sPage).mid(iOpen, 4) == u"<!--") {
                const qsizetype iEnd = m_sPage.indexOf(QLatin1StringView("-->"), iOpen + 4);
                m_iPos = iEnd < 0 ? n : iEnd + 3;
                continue;
            }
            qsizetype i = iOpen + 1;
            tag.bClosing = i < n && m_sPage.at(i) == u'/';
            if (tag.bClosing)
                ++i;
            const qsizetype iName = i;
            while (i < n && (m_sPage.at(i).isLetterOrNumber() || m_sPage.at(i) == u':'))
                ++i;
            if (i == iName) {
                m_iPos = iOpen + 1;
                continue;
            }
            tag.sName = m_sPage.mid(iName, i - iName).toLower();
            tag.attributes.clear();
            m_iPos = ReadAttributes(i, tag);
            return true;
        }
    }

    // The text from here up to the tag that closes sName (a script's body).
    QString RawTextUntilClose(const QString &sName)
    {
        const QString sClose = QStringLiteral("</") + sName;
        qsizetype iEnd = m_sPage.indexOf(sClose, m_iPos, Qt::CaseInsensitive);
        if (iEnd < 0)
            iEnd = m_sPage.size();
        const QString sText = m_sPage.mid(m_iPos, iEnd - m_iPos);
        m_iPos = iEnd;
        return sText;
    }

private:
    qsizetype ReadAttributes(qsizetype i, Tag &tag) const
    {
        const qsizetype n = m_sPage.size();
        for (;;) {
            while (i < n && (m_sPage.at(i).isSpace() || m_sPage.at(i) == u'/'))
                ++i;
            if (i >= n)
                return n;
            if (m_sPage.at(i) == u'>')
                return i + 1;
            const qsizetype iName = i;
            while (i < n && !m_sPage.at(i).isSpace() && m_sPage.at(i) != u'='
                   && m_sPage.at(i) != u'>' && m_sPage.at(i) != u'/')
                ++i;
            const QString sName = m_sPage.mid(iName, i - iName).toLower();
            while (i < n && m_sPage.at(i).isSpace())
                ++i;
            QString sValue;
            if (i < n && m_sPage.at(i) == u'=') {
                ++i;
                while (i < n && m_sPage.at(i).isSpace())
                    ++i;
                if (i < n && (m_sPage.at(i) == u'"' || m_sPage.at(i) == u'\'')) {
                    qsizetype iEnd = m_sPage.indexOf(m_sPage.at(i), i + 1);
                    if (iEnd < 0)
                        iEnd = n;
                    sValue = m_sPage.mid(i + 1, iEnd - i - 1);
                    i = qMin(iEnd + 1, n);
                } else {
                    const qsizetype iValue = i;
                    while (i < n && !m_sPage.at(i).isSpace() && m_sPage.at(i) != u'>')
                        ++i;
                    sValue = m_sPage.mid(iValue, i - iValue);
                }
            }
            if (!sName.isEmpty())
                tag.attributes.append({sName, DecodeEntities(sValue)});
        }
    }

    const QString &m_sPage;
    qsizetype m_iPos = 0;
};

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

Form MetaForm(const Tag &tag)
{
    for (const QLatin1StringView sKey : {QLatin1StringView("property"), QLatin1StringView("name")}) {
        const QString sValue = tag.Attribute(sKey).trimmed().toLower();
        if (sValue == QLatin1StringView("og:video:secure_url"))
            return OgSecureUrl;
        if (sValue == QLatin1StringView("og:video:url"))
            return OgUrl;
        if (sValue == QLatin1StringView("og:video"))
            return OgVideo;
        if (sValue == QLatin1StringView("twitter:player:stream"))
            return TwitterStream;
    }
    return FormCount;
}

} // namespace

QString SiteName(qint16 iSite)
{
    return iSite == siteNone ? QStringLiteral("Other site") : SiteMarkerText(iSite);
}

bool IsWebAddress(const QString &sText)
{
    if (std::any_of(sText.begin(), sText.end(), [](QChar ch) { return ch.isSpace(); }))
        return false;
    // Read as the transfer reads it, but with its scheme written out.
    return IsWebUrl(QUrl(sText, QUrl::TolerantMode));
}

bool IsWanted(const QString &sText, bool bAnySite)
{
    return DetectSite(sText) != siteNone || (bAnySite && IsWebAddress(sText));
}

QString MediaExtensionOf(const QString &sAddress)
{
    const QString sSuffix = PathSuffix(ParseAddress(sAddress));
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

QString OtherSiteFileName(const QString &sSuggested, const QString &sAddress,
                          const QString &sContentType)
{
    QString sName = sSuggested;
    if (sName.isEmpty())
        sName = modMain::CleanFileName(ParseAddress(sAddress).fileName());
    QString sExtension = MediaExtensionOf(sAddress);
    if (sExtension.isEmpty())
        sExtension = ExtensionForContentType(sContentType);
    if (!sExtension.isEmpty() && !OneOf(SuffixOf(sName), kMediaExtensions))
        sName += u'.' + sExtension;
    return sName;
}

PageVideo FindPageVideo(const QString &sPage, const QString &sPageAddress)
{
    QStringList candidates[FormCount];
    QString sBase;
    bool bInVideo = false;
    bool bPlaylist = false;

    TagReader reader(sPage);
    Tag tag;
    while (reader.Next(tag)) {
        if (tag.bClosing) {
            if (tag.sName == QLatin1StringView("video"))
                bInVideo = false;
            continue;
        }
        if (tag.sName == QLatin1StringView("meta")) {
            const Form form = MetaForm(tag);
            if (form != FormCount)
                candidates[form] << tag.Attribute(QLatin1StringView("content"));
        } else if (tag.sName == QLatin1StringView("base")) {
            if (sBase.isEmpty())
                sBase = tag.Attribute(QLatin1StringView("href"));
        } else if (tag.sName == QLatin1StringView("video")) {
            bInVideo = true;
            candidates[VideoSrc] << tag.Attribute(QLatin1StringView("src"));
        } else if (tag.sName == QLatin1StringView("source") && bInVideo) {
            if (OneOf(BareType(tag.Attribute(QLatin1StringView("type"))), kPlaylistTypes))
                bPlaylist = true;
            else
                candidates[SourceSrc] << tag.Attribute(QLatin1StringView("src"));
        } else if (tag.sName == QLatin1StringView("a")) {
            candidates[MediaLink] << tag.Attribute(QLatin1StringView("href"));
        } else if (tag.sName == QLatin1StringView("script") || tag.sName == QLatin1StringView("style")) {
            // A script's text is no markup: tags written in it are not the page's.
            const bool bJsonLd = BareType(tag.Attribute(QLatin1StringView("type")))
                                 == QLatin1StringView("application/ld+json");
            const QString sText = reader.RawTextUntilClose(tag.sName);
            if (bJsonLd) {
                // Broken data names nothing; the forms after it still count.
                const QJsonDocument data = QJsonDocument::fromJson(sText.toUtf8());
                CollectContentUrls(data.isArray() ? QJsonValue(data.array())
                                                  : QJsonValue(data.object()),
                                   candidates[JsonLd]);
            }
        }
    }

    const QUrl page = ParseAddress(sPageAddress);
    const QUrl base = sBase.isEmpty() ? page : page.resolved(QUrl(sBase.trimmed(), QUrl::TolerantMode));
    for (int form = 0; form < FormCount; ++form) {
        for (const QString &sCandidate : std::as_const(candidates[form])) {
            if (sCandidate.trimmed().isEmpty())
                continue;
            const QUrl url = base.resolved(QUrl(sCandidate.trimmed(), QUrl::TolerantMode));
            if (!IsWebUrl(url))
                continue;
            if (OneOf(PathSuffix(url), kPlaylistExtensions)) {
                bPlaylist = true;
                continue;
            }
            if (form == MediaLink && !OneOf(PathSuffix(url), kMediaExtensions))
                continue;
            return PageVideo{url.toString(QUrl::FullyEncoded), false};
        }
    }
    return PageVideo{QString(), bPlaylist};
}

} // namespace modDownload
