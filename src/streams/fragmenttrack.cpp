#include "streams/fragmenttrack.h"

#include <QCryptographicHash>

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
        // One line per fragment; the address is the only field that could
        // hold a space or a line break, and it is percent-encoded.
        record.clear();
        record += fragment.url.toEncoded();
        record += ' ' + QByteArray::number(fragment.lOffset) + ' ' + QByteArray::number(fragment.lLength);
        record += fragment.bInit ? " init " : " ";
        record += fragment.keyUrl.toEncoded() + ' ' + fragment.iv.toHex() + '\n';
        hash.addData(record);
    }
    return hash.result().toHex();
}
