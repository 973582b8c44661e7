// libFuzzer entry point for the DASH reader: any text, read as a manifest
// fetched from a fixed address, then the tracks a download would fetch
// spelled out.
#include <QByteArray>
#include <QUrl>

#include <cstddef>
#include <cstdint>

#include "streams/dashreader.h"
#include "streams/streamsniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    StreamSniff::Of(QString(), xml);
    const DashManifest manifest = DashReader::Read(xml, QUrl(QStringLiteral("http://127.0.0.1/d/manifest.mpd")));
    for (const qsizetype i : {manifest.PickVideo(StreamQuality::Limit::Best), manifest.PickAudio()}) {
        if (i >= 0)
            manifest.representations.at(i).Track().Fingerprint();
    }
    return 0;
}
