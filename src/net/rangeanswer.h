#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QNetworkReply;
struct PartOrigin;

// What an answer says of the file it carries, for a transfer that continues
// a kept part or fetches a file in ranges.
class RangeAnswer
{
public:
    struct ContentRange
    {
        qint64 lStart = -1;
        qint64 lTotal = -1; // -1: "*", unknown
    };

    // The validator a later request can name in If-Range: a strong ETag,
    // else Last-Modified (a weak ETag may not be used there). Empty when the
    // answer gave neither: such a file can never be continued.
    static QString ValidatorOf(const QNetworkReply &reply);
    // "bytes FIRST-LAST/TOTAL"; lStart stays -1 for anything else.
    static ContentRange Parse(const QByteArray &value);
    // Whether the answer is a 206 of the file origin names, from lFrom on. A
    // server may ignore If-Range and send a range of whatever it has now, so
    // the answer must show that itself: it names the stored validator again
    // (the same strong ETag, or the same Last-Modified) and the same whole
    // length. Anything it leaves unsaid counts as a different file.
    static bool Continues(const QNetworkReply &reply, qint64 lFrom, const PartOrigin &origin);
};
