#include "streams/fragmenttrack.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>

double FragmentTrack::Duration() const
{
    double dTotal = 0;
    for (const StreamFragment &fragment : fragments)
        dTotal += fragment.dDuration;
    return dTotal;
}

QByteArray FragmentTrack::Fingerprint() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray record;
    for (const StreamFragment &fragment : fragments) {
        record.clear();
        QDataStream out(&record, QIODevice::WriteOnly);
        out << fragment.url.toEncoded() << fragment.lOffset << fragment.lLength << fragment.bInit
            << fragment.keyUrl.toEncoded() << fragment.iv;
        hash.addData(record);
    }
    return hash.result().toHex();
}
