#include "streams/streamaddress.h"

std::optional<QUrl> StreamAddress::Resolve(const QUrl &base, const QString &sText)
{
    const QUrl relative(sText.trimmed(), QUrl::TolerantMode);
    if (!relative.isValid())
        return std::nullopt;
    const QUrl url = base.resolved(relative).adjusted(QUrl::RemoveFragment);
    if (!IsWeb(url))
        return std::nullopt;
    return url;
}

bool StreamAddress::IsWeb(const QUrl &url)
{
    const QString sScheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (sScheme == QLatin1StringView("http") || sScheme == QLatin1StringView("https"));
}
