#pragma once

#include <QByteArray>
#include <QString>

// A cheap look at an answer: is it a streaming playlist rather than a file or
// a page? By its Content-Type, else by its first bytes.
class StreamSniff
{
public:
    enum class Kind { None, Hls, Dash };

    static Kind Of(const QString &sContentType, const QByteArray &head);
};
