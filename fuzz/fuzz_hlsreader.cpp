// libFuzzer entry point for the HLS reader: any text, read as a playlist
// fetched from a fixed address, then the choices the download makes from it.
#include <QByteArray>
#include <QUrl>

#include <cstddef>
#include <cstdint>

#include "streams/hlsreader.h"
#include "streams/streamsniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    StreamSniff::Of(QString(), text);
    const HlsPlaylist playlist = HlsReader::Read(text, QUrl(QStringLiteral("http://127.0.0.1/v/index.m3u8")));
    for (const StreamQuality::Limit limit : {StreamQuality::Limit::Best, StreamQuality::Limit::Max720,
                                             StreamQuality::Limit::Smallest})
        playlist.AudioFor(playlist.PickVariant(limit));
    playlist.track.Fingerprint();
    return 0;
}
