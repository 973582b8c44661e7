#include "streams/streamsniff.h"

namespace {

struct TypeKind
{
    const char *sType;
    StreamSniff::Kind kind;
};

constexpr TypeKind kTypes[] = {
    {"application/vnd.apple.mpegurl", StreamSniff::Kind::Hls},
    {"application/x-mpegurl", StreamSniff::Kind::Hls},
    {"audio/mpegurl", StreamSniff::Kind::Hls},
    {"audio/x-mpegurl", StreamSniff::Kind::Hls},
    {"application/dash+xml", StreamSniff::Kind::Dash},
};

// An MPD names its root element after the XML declaration and perhaps a
// comment or two; a page that merely mentions one does so much later.
constexpr qsizetype kDashLookahead = 1024;

} // namespace

StreamSniff::Kind StreamSniff::Of(const QString &sContentType, const QByteArray &head)
{
    const QString sType = sContentType.section(u';', 0, 0).trimmed().toLower();
    for (const TypeKind &type : kTypes) {
        if (sType == QLatin1StringView(type.sType))
            return type.kind;
    }
    QByteArrayView text(head);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    text = text.trimmed();
    if (text.startsWith("#EXTM3U"))
        return Kind::Hls;
    if (text.startsWith("<") && text.first(qMin(text.size(), kDashLookahead)).contains("<MPD"))
        return Kind::Dash;
    return Kind::None;
}
