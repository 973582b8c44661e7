#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The address a playlist or manifest names, resolved against where it was
// found. Only http and https: a playlist must not make the program read a
// local file or talk another protocol.
class StreamAddress
{
public:
    static std::optional<QUrl> Resolve(const QUrl &base, const QString &sText);
};
