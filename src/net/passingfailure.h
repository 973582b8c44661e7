#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QtGlobal>

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

    static bool IsPassingStatus(int iHttpStatus);
    // Whether a connection that failed this way may work on another try
    // (NoError is no failure of the connection, so false).
    static bool IsPassingTransportError(QNetworkReply::NetworkError error);
    // The wait before retry iRetry (from 1) in milliseconds, after an
    // answer of iHttpStatus (0 for none) that asked for lRetryAfterSeconds
    // (-1 for no Retry-After).
    static qint64 PlannedWaitMs(int iRetry, int iHttpStatus, qint64 lRetryAfterSeconds);
    // Seconds, or an HTTP date; -1 when the value is empty or neither.
    static qint64 ParseRetryAfter(const QByteArray &value);
};
