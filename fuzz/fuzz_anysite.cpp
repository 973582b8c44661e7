// libFuzzer entry point for the rule for pages of other sites: any bytes,
// read as a page fetched from a fixed address, as the page retrieval reads
// it, then the name the file would get from what it found.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "sites/anysite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const modDownload::PageVideo video =
        modDownload::FindPageVideo(QString::fromUtf8(bytes), QStringLiteral("https://news.example.org/story/42.html"));
    modDownload::OtherSiteFileName(QString(), video.sAddress, QString());
    modDownload::MediaExtensionOf(video.sAddress);
    return 0;
}
