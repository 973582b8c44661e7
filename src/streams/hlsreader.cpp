#include "streams/hlsreader.h"

#include <QStringList>

#include <limits>
#include <optional>

#include "streams/hlsattributes.h"
#include "streams/streamaddress.h"
#include "streams/streamlimits.h"
#include "streams/streamslog.h"

namespace {

struct ByteRange
{
    qint64 lLength = -1;
    qint64 lOffset = -1; // -1: right after the previous range of the same file
};

// "<n>[@<o>]", both decimal and not negative.
std::optional<ByteRange> ParseRange(QStringView text)
{
    const qsizetype iAt = text.indexOf(u'@');
    bool bOk = false;
    ByteRange range;
    range.lLength = text.first(iAt < 0 ? text.size() : iAt).toLongLong(&bOk);
    if (!bOk || range.lLength < 0)
        return std::nullopt;
    if (iAt >= 0) {
        range.lOffset = text.sliced(iAt + 1).toLongLong(&bOk);
        if (!bOk || range.lOffset < 0
            || range.lOffset > std::numeric_limits<qint64>::max() - range.lLength)
            return std::nullopt;
    }
    return range;
}

// "0x" and up to 32 hex digits, as the 16 bytes of an AES block.
std::optional<QByteArray> ParseIv(const QString &sText)
{
    if (!sText.startsWith(QLatin1StringView("0x"), Qt::CaseInsensitive))
        return std::nullopt;
    const QString sDigits = sText.sliced(2);
    if (sDigits.isEmpty() || sDigits.size() > 32)
        return std::nullopt;
    for (const QChar c : sDigits) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')))
            return std::nullopt;
    }
    return QByteArray::fromHex(sDigits.rightJustified(32, u'0').toLatin1());
}

QByteArray SequenceIv(quint64 uSequence)
{
    QByteArray iv(16, '\0');
    for (int i = 0; i < 8; ++i)
        iv[15 - i] = char(uSequence >> (8 * i) & 0xff);
    return iv;
}

class Reader
{
public:
    explicit Reader(const QUrl &address) : m_address(address.adjusted(QUrl::RemoveFragment)) {}

    HlsPlaylist Run(const QByteArray &text);

private:
    // Each returns false once m_result has been refused.
    bool Line(QStringView line);
    bool Tag(QStringView name, QStringView value);
    bool Address(QStringView text);
    bool StreamInf(QStringView value);
    bool Media(QStringView value);
    bool Key(QStringView value, bool bSession);
    bool Map(QStringView value);
    bool AddFragment(const QUrl &url);
    std::optional<QUrl> Resolve(const QString &sText);
    std::optional<HlsAttributes> Attributes(QStringView value);
    bool Fail(const QString &sWhat);
    bool Refuse(StreamRefusal refusal);

    QUrl m_address;
    HlsPlaylist m_result;
    qsizetype m_iLine = 0;

    bool m_bPendingVariant = false;
    HlsPlaylist::Variant m_variant;

    bool m_bHaveDuration = false;
    double m_dDuration = 0;
    bool m_bDiscontinuity = false;
    std::optional<ByteRange> m_range;
    quint64 m_uFirstSequence = 0;
    quint64 m_uSequence = 0;
    qsizetype m_iMediaFragments = 0;
    QUrl m_lastRangeUrl;
    qint64 m_lLastRangeEnd = -1;
    QUrl m_keyUrl;
    std::optional<QByteArray> m_keyIv;
    bool m_bProtected = false;
    std::optional<StreamFragment> m_map;
    bool m_bMapPending = false;
    bool m_bEndList = false;
};

bool Reader::Fail(const QString &sWhat)
{
    return Refuse(StreamRefusal::Malformed(QStringLiteral("line %1: %2").arg(m_iLine).arg(sWhat)));
}

bool Reader::Refuse(StreamRefusal refusal)
{
    qCDebug(lcStreams) << "HLS playlist" << m_address.toDisplayString() << "refused:" << refusal.sReason;
    m_result = HlsPlaylist();
    m_result.refusal = std::move(refusal);
    return false;
}

std::optional<HlsAttributes> Reader::Attributes(QStringView value)
{
    std::optional<HlsAttributes> attributes = HlsAttributes::Parse(value);
    if (!attributes)
        Fail(QStringLiteral("a broken attribute list"));
    return attributes;
}

std::optional<QUrl> Reader::Resolve(const QString &sText)
{
    const std::optional<QUrl> url = StreamAddress::Resolve(m_address, sText);
    if (!url) {
        Fail(QStringLiteral("\"%1\" is no web address").arg(sText.left(200)));
        return std::nullopt;
    }
    if (*url == m_address) {
        Refuse(StreamRefusal::SelfReference());
        return std::nullopt;
    }
    return url;
}

HlsPlaylist Reader::Run(const QByteArray &text)
{
    QByteArrayView view(text);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    const QString sText = QString::fromUtf8(view);
    const QList<QStringView> lines = QStringView(sText).split(u'\n');
    for (const QStringView raw : lines) {
        ++m_iLine;
        const QStringView line = raw.trimmed();
        if (m_iLine == 1 && line != u"#EXTM3U") {
            Fail(QStringLiteral("it does not start with #EXTM3U"));
            return m_result;
        }
        if (!Line(line))
            return m_result;
    }
    if (m_bPendingVariant) {
        Fail(QStringLiteral("#EXT-X-STREAM-INF without an address"));
        return m_result;
    }
    if (m_bProtected) {
        Refuse(StreamRefusal::Protected());
        return m_result;
    }
    if (m_result.bMaster) {
        if (!m_result.track.fragments.isEmpty()) {
            Fail(QStringLiteral("it lists both variants and fragments"));
            return m_result;
        }
        if (m_result.variants.isEmpty())
            Refuse(StreamRefusal::Empty());
        return m_result;
    }
    if (!m_bEndList)
        Refuse(StreamRefusal::Live());
    else if (m_iMediaFragments == 0)
        Refuse(StreamRefusal::Empty());
    return m_result;
}

bool Reader::Line(QStringView line)
{
    if (line.isEmpty())
        return true;
    if (!line.startsWith(u'#'))
        return Address(line);
    if (!line.startsWith(u"#EXT"))
        return true; // a comment
    const qsizetype iColon = line.indexOf(u':');
    return iColon < 0 ? Tag(line.sliced(1), {}) : Tag(line.sliced(1, iColon - 1), line.sliced(iColon + 1));
}

bool Reader::Tag(QStringView name, QStringView value)
{
    if (name == u"EXT-X-STREAM-INF")
        return StreamInf(value);
    if (name == u"EXT-X-MEDIA")
        return Media(value);
    if (name == u"EXT-X-KEY")
        return Key(value, false);
    if (name == u"EXT-X-SESSION-KEY")
        return Key(value, true);
    if (name == u"EXT-X-MAP")
        return Map(value);
    if (name == u"EXTINF") {
        bool bOk = false;
        const qsizetype iComma = value.indexOf(u',');
        m_dDuration = (iComma < 0 ? value : value.first(iComma)).trimmed().toDouble(&bOk);
        if (!bOk || !(m_dDuration >= 0) || m_dDuration > 1e9)
            return Fail(QStringLiteral("#EXTINF without a duration"));
        m_bHaveDuration = true;
        return true;
    }
    if (name == u"EXT-X-BYTERANGE") {
        m_range = ParseRange(value.trimmed());
        return m_range ? true : Fail(QStringLiteral("a broken #EXT-X-BYTERANGE"));
    }
    if (name == u"EXT-X-MEDIA-SEQUENCE") {
        bool bOk = false;
        m_uFirstSequence = value.trimmed().toULongLong(&bOk);
        if (!bOk || m_iMediaFragments > 0 || m_uFirstSequence > std::numeric_limits<quint64>::max() / 2)
            return Fail(QStringLiteral("a broken or late #EXT-X-MEDIA-SEQUENCE"));
        m_uSequence = m_uFirstSequence;
        return true;
    }
    if (name == u"EXT-X-DISCONTINUITY")
        m_bDiscontinuity = true;
    else if (name == u"EXT-X-ENDLIST")
        m_bEndList = true;
    return true;
}

bool Reader::StreamInf(QStringView value)
{
    const std::optional<HlsAttributes> attributes = Attributes(value);
    if (!attributes)
        return false;
    if (m_bPendingVariant)
        return Fail(QStringLiteral("#EXT-X-STREAM-INF without an address"));
    m_result.bMaster = true;
    m_bPendingVariant = true;
    m_variant = {};
    m_variant.lBandwidth = qMax(0LL, attributes->Value(QStringLiteral("BANDWIDTH")).toLongLong());
    m_variant.lAverageBandwidth =
        qMax(0LL, attributes->Value(QStringLiteral("AVERAGE-BANDWIDTH")).toLongLong());
    const QStringList size = attributes->Value(QStringLiteral("RESOLUTION")).toLower().split(u'x');
    if (size.size() == 2) {
        m_variant.iWidth = qMax(0, size.at(0).toInt());
        m_variant.iHeight = qMax(0, size.at(1).toInt());
    }
    m_variant.sCodecs = attributes->Value(QStringLiteral("CODECS"));
    m_variant.sAudioGroup = attributes->Value(QStringLiteral("AUDIO"));
    return true;
}

bool Reader::Media(QStringView value)
{
    const std::optional<HlsAttributes> attributes = Attributes(value);
    if (!attributes)
        return false;
    m_result.bMaster = true;
    if (attributes->Value(QStringLiteral("TYPE")) != QLatin1StringView("AUDIO"))
        return true;
    HlsPlaylist::Rendition rendition;
    rendition.sGroupId = attributes->Value(QStringLiteral("GROUP-ID"));
    rendition.sName = attributes->Value(QStringLiteral("NAME"));
    rendition.sLanguage = attributes->Value(QStringLiteral("LANGUAGE"));
    rendition.bDefault = attributes->Value(QStringLiteral("DEFAULT")) == QLatin1StringView("YES");
    rendition.bAutoSelect = attributes->Value(QStringLiteral("AUTOSELECT")) == QLatin1StringView("YES");
    if (attributes->Has(QStringLiteral("URI"))) {
        const std::optional<QUrl> url = Resolve(attributes->Value(QStringLiteral("URI")));
        if (!url)
            return false;
        rendition.url = *url;
    }
    m_result.audio.append(rendition);
    return true;
}

bool Reader::Key(QStringView value, bool bSession)
{
    const std::optional<HlsAttributes> attributes = Attributes(value);
    if (!attributes)
        return false;
    const QString sMethod = attributes->Value(QStringLiteral("METHOD"));
    const QString sFormat = attributes->Value(QStringLiteral("KEYFORMAT"));
    if (sMethod == QLatin1StringView("NONE")) {
        if (!bSession) {
            m_keyUrl.clear();
            m_keyIv.reset();
        }
        return true;
    }
    if (sMethod.startsWith(QLatin1StringView("SAMPLE-AES"))
        || (!sFormat.isEmpty() && sFormat != QLatin1StringView("identity"))) {
        // The fragments' samples are encrypted for a DRM system; keep reading
        // only to tell a broken playlist apart.
        m_bProtected = true;
        return true;
    }
    if (sMethod != QLatin1StringView("AES-128"))
        return Fail(QStringLiteral("an unknown encryption method"));
    if (bSession)
        return true;
    if (!attributes->Has(QStringLiteral("URI")))
        return Fail(QStringLiteral("an AES-128 key without an address"));
    const std::optional<QUrl> url = Resolve(attributes->Value(QStringLiteral("URI")));
    if (!url)
        return false;
    m_keyUrl = *url;
    m_keyIv.reset();
    if (attributes->Has(QStringLiteral("IV"))) {
        m_keyIv = ParseIv(attributes->Value(QStringLiteral("IV")));
        if (!m_keyIv)
            return Fail(QStringLiteral("a broken IV"));
    }
    return true;
}

bool Reader::Map(QStringView value)
{
    const std::optional<HlsAttributes> attributes = Attributes(value);
    if (!attributes)
        return false;
    if (!attributes->Has(QStringLiteral("URI")))
        return Fail(QStringLiteral("#EXT-X-MAP without an address"));
    const std::optional<QUrl> url = Resolve(attributes->Value(QStringLiteral("URI")));
    if (!url)
        return false;
    StreamFragment map;
    map.url = *url;
    map.bInit = true;
    // The key in force where the section is named applies to it, not one
    // named between it and the next fragment.
    map.keyUrl = m_keyUrl;
    map.iv = m_keyIv.value_or(QByteArray());
    if (attributes->Has(QStringLiteral("BYTERANGE"))) {
        const std::optional<ByteRange> range = ParseRange(attributes->Value(QStringLiteral("BYTERANGE")));
        if (!range)
            return Fail(QStringLiteral("a broken #EXT-X-MAP byte range"));
        map.lLength = range->lLength;
        map.lOffset = qMax(0LL, range->lOffset);
    }
    if (!m_map || *m_map != map) {
        m_map = map;
        m_bMapPending = true;
    }
    return true;
}

bool Reader::Address(QStringView text)
{
    const std::optional<QUrl> url = Resolve(text.toString());
    if (!url)
        return false;
    if (m_bPendingVariant) {
        m_bPendingVariant = false;
        m_variant.url = *url;
        m_result.variants.append(m_variant);
        return true;
    }
    return AddFragment(*url);
}

bool Reader::AddFragment(const QUrl &url)
{
    if (!m_bHaveDuration)
        return Fail(QStringLiteral("a fragment without #EXTINF"));
    if (m_iMediaFragments >= kMaxStreamFragments)
        return Refuse(StreamRefusal::TooLarge());
    StreamFragment fragment;
    fragment.url = url;
    fragment.uSequence = m_uSequence;
    fragment.dDuration = m_dDuration;
    fragment.bDiscontinuity = m_bDiscontinuity;
    if (!m_keyUrl.isEmpty()) {
        fragment.keyUrl = m_keyUrl;
        fragment.iv = m_keyIv ? *m_keyIv : SequenceIv(m_uSequence);
    }
    if (m_range) {
        fragment.lLength = m_range->lLength;
        if (m_range->lOffset >= 0)
            fragment.lOffset = m_range->lOffset;
        else if (url == m_lastRangeUrl && m_lLastRangeEnd >= 0)
            fragment.lOffset = m_lLastRangeEnd;
        else
            return Fail(QStringLiteral("a byte range without an offset that follows no range of the same file"));
        if (fragment.lOffset > std::numeric_limits<qint64>::max() - fragment.lLength)
            return Fail(QStringLiteral("a broken #EXT-X-BYTERANGE"));
        m_lastRangeUrl = url;
        m_lLastRangeEnd = fragment.lOffset + fragment.lLength;
    } else {
        m_lastRangeUrl.clear();
        m_lLastRangeEnd = -1;
    }
    if (m_bMapPending) {
        StreamFragment init = *m_map;
        if (init.IsEncrypted() && init.iv.isEmpty())
            init.iv = SequenceIv(m_uSequence);
        init.bDiscontinuity = fragment.bDiscontinuity;
        m_result.track.fragments.append(init);
        m_bMapPending = false;
    }
    m_result.track.fragments.append(fragment);
    ++m_iMediaFragments;
    m_bHaveDuration = false;
    m_bDiscontinuity = false;
    m_range.reset();
    ++m_uSequence;
    return true;
}

} // namespace

HlsPlaylist HlsReader::Read(const QByteArray &text, const QUrl &address)
{
    return Reader(address).Run(text);
}
