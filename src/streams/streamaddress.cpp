#include "streams/streamaddress.h"

#include "core/webaddress.h"

std::optional<QUrl> StreamAddress::Resolve(const QUrl &base, const QString &sText)
{
    const QUrl relative(sText.trimmed(), QUrl::TolerantMode);
    if (!relative.isValid())
        return std::nullopt;
    const QUrl url = base.resolved(relative).adjusted(QUrl::RemoveFragment);
    if (!IsWebUrl(url))
        return std::nullopt;
    return url;
}
