#include "core/webaddress.h"

QUrl ParseWebAddress(const QString &sAddress)
{
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
