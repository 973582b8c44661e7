#pragma once

#include <QNetworkReply>
#include <QString>

class Download;
class QUrl;

// The one place where a failed request becomes the sentence the user reads
// (the row's tool tip, clipvane-get's message): what the server or the
// network did, named the way the user can act on it.
class FailureReason
{
public:
    // The status line of the answer, and how often it came when more than
    // once in a row ("The server answered 503 Service Unavailable 6 times").
    static QString Answer(int iHttpStatus, const QString &sPhrase, int iTimes = 1);
    // A connection that brought no usable answer: refused, unknown host, a
    // silent server (iTimeoutSeconds), or one that broke off (iTimes in a
    // row). Empty for NoError.
    static QString Connection(QNetworkReply::NetworkError error, const QUrl &url,
                              int iTimeoutSeconds, int iTimes = 1);
    // An answer whose headers never ended.
    static QString UnfinishedAnswer(const QUrl &url);
    static QString NoVideoInPage();
    // What went wrong with the last transfer of download, whose outcome came
    // iTimes in a row; empty when it brought the whole file (or a local
    // failure, which the transfer names itself).
    static QString Of(const Download &download, int iTimes = 1);
};
