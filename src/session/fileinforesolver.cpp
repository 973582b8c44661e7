#include "session/fileinforesolver.h"

#include <QStringDecoder>
#include <QUrl>

#include "core/modmain.h"
#include "core/webaddress.h"
#include "net/download.h"
#include "sites/anysite.h"
#include "sites/sitedetect.h"

namespace {

// Cuts sName to iLength characters: its start and its last four, so that
// the extension survives.
QString CutKeepingExtension(const QString &sName, qsizetype iLength)
{
    if (sName.size() <= iLength)
        return sName;
    return sName.left(iLength - 4) + sName.right(4);
}

// Bytes past ASCII reach the address percent-encoded; in the name they are
// the characters they stand for (as UTF-8), not escapes. Anything else
// stays as the address writes it.
QString WithCharactersPastAscii(const QString &sText)
{
    QByteArray bytes;
    bool bDecoded = false;
    for (qsizetype i = 0; i < sText.size(); ++i) {
        bool bHex = false;
        const int iByte = sText.at(i) == u'%' ? sText.mid(i + 1, 2).toInt(&bHex, 16) : 0;
        if (bHex && iByte >= 0x80 && sText.mid(i + 1, 2).size() == 2) {
            bytes += static_cast<char>(iByte);
            bDecoded = true;
            i += 2;
        } else {
            bytes += QStringView(sText).mid(i, 1).toUtf8();
        }
    }
    if (!bDecoded)
        return sText;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString sName = utf8.decode(bytes);
    return utf8.hasError() ? sText : sName;
}

} // namespace

FileInfo FileInfoResolver::GetFileInfo(const QString &sLink, qint16 iSite)
{
    using namespace modDownload;

    m_download.SetUrl(sLink);
    // Only an absolute address can be asked about; anything else is an
    // address without an answer: nothing of the last file asked about may be
    // taken for this one.
    if (IsWebUrl(QUrl(sLink, QUrl::TolerantMode)))
        m_download.RequestInformation();
    else
        m_download.ForgetInformation();

    // The name alone, not the text that follows "filename=" with its quotes
    // and further parameters.
    QString sName = m_download.SuggestedFileName();
    QString sSize = modMain::FormatSize(m_download.FileSize());
    if (m_download.FileSize() == -1 && m_download.FileExists())
        sSize = QStringLiteral("0");

    // Flash and Windows Media addresses name their file better than the
    // server's suggestion does. Another site's file gets a media extension.
    const QString sExt = sLink.right(4).toLower();
    const bool bMediaExt = sExt == QLatin1StringView(".flv") || sExt == QLatin1StringView(".wmv");
    if (iSite == siteNone) {
        // Named after where a redirect led: an address like /get?id=1 says
        // less of the file than the one it sends the request on to.
        sName = OtherSiteFileName(sName, m_download.AnswerUrl(), m_download.ContentType());
    } else if (sName.isEmpty() || bMediaExt) {
        const qsizetype iSlash = sLink.lastIndexOf(QLatin1Char('/'));
        const QString sLast = WithCharactersPastAscii(sLink.mid(iSlash + 1));
        sName = bMediaExt && iSlash >= 0 ? sLast : modMain::CleanFileName(sLast);
    }

    if (iSite == siteYoutube || iSite == siteDailyMotion || iSite == siteZippyVideos)
        sName += QLatin1StringView(".flv");
    sName = CutKeepingExtension(sName, 100);
    if (iSite == siteYoutube)
        sName = CutKeepingExtension(sName, 35);

    // Characters are not bytes: a name short enough by count may still be too
    // long for the file system.
    return FileInfo{modMain::FitFileName(modMain::CleanFileName(sName)), sSize};
}
