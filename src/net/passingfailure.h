#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QtGlobal>

class Download;

// The rules for a failure that may pass when the request is tried again: a
// connection that broke (closed early, reset, silent past the limit) or an
// answer of 408, 429, 500, 502, 503 or 504. An address that is not there
// (refused, unknown host) and any other answer fail at once. Between tries
// the waits grow 1 s, 2 s, 4 s ... (at most 30 s), or follow the answer's
// Retry-After when that is at most 60 s.
class PassingFailure
{
public:
    static constexpr int kDefaultRetries = 5;

    // The one decision whether a try may pass when made again: it ended with
    // an answer of iHttpStatus (0 for none), or its connection failed with
    // error as Qt reports it (an error that only repeats the status is no
    // failure of the connection).
    static bool MayPass(int iHttpStatus, QNetworkReply::NetworkError error);
    // The same for the last transfer of download; a server whose answer
    // never ended its headers is broken, and another try will not mend it.
    static bool MayPass(const Download &download);
    // The wait before retry iRetry (from 1) in milliseconds, after an
    // answer of iHttpStatus (0 for none) that asked for lRetryAfterSeconds
    // (-1 for no Retry-After).
    static qint64 PlannedWaitMs(int iRetry, int iHttpStatus, qint64 lRetryAfterSeconds);
    // Seconds, or an HTTP date; -1 when the value is empty or neither.
    static qint64 ParseRetryAfter(const QByteArray &value);

private:
    static bool IsPassingStatus(int iHttpStatus);
    static bool IsPassingTransportError(QNetworkReply::NetworkError error);
};
