#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cmath>

// What a player would get from one or more files: a checksum of every
// decoded picture, in presentation order, the number of decoded audio
// samples, and when the first picture and the first sound are shown.
struct DecodedMedia
{
    QList<QByteArray> lPictureSums;
    qint64 lAudioSamples = 0;
    int iAudioFrameSize = 0;
    double dVideoStart = NAN;
    double dAudioStart = NAN;
    QString sError;

    // The first video and first audio stream found in lPaths, decoded whole.
    static DecodedMedia Of(const QStringList &lPaths);
};
