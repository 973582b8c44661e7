#include "net/download.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <cmath>

#include "core/doevents.h"
#include "net/blockreader.h"
#include "net/headerblock.h"
#include "net/replyhelpers.h"

namespace {

const char kAgent[] = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
const QString kCouldNotFindUrl = QStringLiteral("Could not find Url");
const QString kCouldNotReadUrl = QStringLiteral("Could not read URL");
const QString kNotAvailable = QStringLiteral("Not Available");

// How far Qt's network thread may read ahead of the transfer loop. Without a
// limit it would buffer as fast as the socket delivers, and a slow disk would
// let the whole file pile up in memory; with a small window the network
// thread keeps stalling on the loop (512 KiB cost a third of the throughput
// on a local server). Memory stays flat either way.
constexpr qint64 kReadAheadBytes = 2 * 1024 * 1024;

// While Qt follows a redirect, the reply shows the redirect's status until
// the next answer arrives.
bool IsRedirectStatus(const QNetworkReply &reply)
{
    switch (reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) {
    case 301: case 302: case 303: case 305: case 307: case 308:
        return true;
    default:
        return false;
    }
}

// Only http and https are understood; an address without a scheme is taken
// as http, the way the host/path split always read it.
QUrl InformationUrl(const QString &sUrl)
{
    const QString sFull = sUrl.contains(QLatin1StringView("://"))
        ? sUrl : QLatin1StringView("http://") + sUrl;
    return QUrl(sFull, QUrl::TolerantMode);
}

bool IsHttpUrl(const QUrl &url)
{
    const QString sScheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (sScheme == QLatin1StringView("http") || sScheme == QLatin1StringView("https"));
}

// A percentage of the size when it is known (halves to the even neighbour,
// which the default rounding mode gives), otherwise the bytes so far.
qint64 ProgressValue(qint64 lPosition, double dSize)
{
    if (!(dSize > 0))
        return lPosition;
    const double dPercent = std::nearbyint(static_cast<double>(lPosition) / dSize * 100.0);
    // A nonsense size written by the host must not overflow the value.
    constexpr double kMax = 9.0e18;
    return static_cast<qint64>(qMin(dPercent, kMax));
}

} // namespace

Download::Download(QObject *parent) : QObject(parent) {}

Download::~Download() = default;

void Download::OpenSession()
{
    m_session = std::make_unique<QNetworkAccessManager>();
    m_session->setProxy(QNetworkProxy::NoProxy);
    m_session->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void Download::CloseSession()
{
    m_session.reset();
}

QNetworkRequest Download::MakeRequest(const QUrl &url) const
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kAgent));
    // Asking for the identity encoding keeps Content-Length equal to the
    // bytes written, which the percentage relies on.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(m_iTimeoutSeconds * 1000);
    return request;
}

void Download::RequestInformation()
{
    if (m_bBusy)
        return;
    m_bBusy = true;
    m_bInfoRequested = true;
    QUrl url = InformationUrl(m_sUrl);
    if (!m_sSiteUser.isEmpty()) {
        url.setUserName(m_sSiteUser);
        url.setPassword(m_sSitePassword);
    }
    DoEvents();
    if (!m_session)
        OpenSession();
    DoEvents();

    // An address that cannot even make a request leaves every information
    // property as it was.
    if (IsHttpUrl(url)) {
        DoEvents();
        std::unique_ptr<QNetworkReply> reply(m_session->head(MakeRequest(url)));
        while (!reply->isFinished())
            WaitForNetwork();
        DoEvents();
        FillInformation(*reply);
    }

    DoEvents();
    if (m_bTransferBegun)
        CloseSession();
    m_bBusy = false;
}

void Download::FillInformation(const QNetworkReply &reply)
{
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        // No answer at all. Name and type are cleared as well, so that they
        // can never describe an earlier, different file.
        m_bFileExists = false;
        m_sLastModified = kNotAvailable;
        m_dFileSize = -1;
        m_sRemoteFileName.clear();
        m_sRemoteFileType.clear();
        return;
    }

    const HeaderBlock block = HeaderBlock::FromReply(reply);

    const QString sLastModified = block.ValueAfter(QLatin1StringView("last-modified: "));
    m_sLastModified = sLastModified.isNull() ? kNotAvailable : sLastModified;
    DoEvents();

    const QString sLength = block.ValueAfter(QLatin1StringView("content-length: "));
    bool bNumber = false;
    const double dLength = sLength.trimmed().toDouble(&bNumber);
    m_dFileSize = bNumber ? dLength : -1;
    DoEvents();

    m_sRemoteFileName = block.ValueAfter(QLatin1StringView("filename="));
    DoEvents();

    const QString sType = block.ValueAfter(QLatin1StringView("Content-Type: "));
    const qsizetype iSlash = sType.indexOf(QLatin1Char('/'));
    m_sRemoteFileType = iSlash < 0 ? sType : sType.mid(iSlash + 1);
    DoEvents();

    m_bFileExists = !block.Contains(QLatin1StringView("HTTP/1.1 404 Not Found"))
        && !block.Contains(QLatin1StringView("HTTP/1.1 404 File Not Found"));
}

Download::OpenResult Download::WaitUntilOpened(QNetworkReply &reply) const
{
    // The address counts as opened once the final answer's headers are in,
    // whatever its status: an error page is transferred like a file.
    auto bHeadersIn = [&reply] {
        return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
            && !IsRedirectStatus(reply);
    };
    while (!reply.isFinished() && !bHeadersIn())
        WaitForNetwork();
    if (bHeadersIn())
        return OpenResult::Opened;
    // A redirect that Qt refused to follow (to a less safe scheme, or one too
    // many) is still an answer; a redirect whose target failed is not.
    const bool bAnswered = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
        && !IsTransportError(reply.error());
    return bAnswered ? OpenResult::Opened : OpenResult::NotFound;
}

void Download::EndTransfer(std::unique_ptr<QNetworkReply> &reply, QFile &file)
{
    reply.reset();
    CloseSession();
    file.close();
    m_bBusy = false;
}

bool Download::FailLocalFile(std::unique_ptr<QNetworkReply> &reply, QFile &file)
{
    m_sLastError = QStringLiteral("Could not write the local file %1: %2")
                       .arg(file.fileName(), file.errorString());
    EndTransfer(reply, file);
    return false;
}

bool Download::StartDownload()
{
    if (m_bBusy) {
        m_sLastError = QStringLiteral("The transfer control is already busy");
        return false;
    }
    m_sLastError.clear();
    m_bCancel = false;
    DoEvents();

    if (!m_session)
        OpenSession();
    DoEvents();

    m_bTransferBegun = false;
    if (!m_bInfoRequested)
        RequestInformation();
    m_bTransferBegun = true;
    m_bBusy = true;
    DoEvents();

    m_iHttpStatus = 0;
    const QUrl url(m_sUrl, QUrl::TolerantMode);
    std::unique_ptr<QNetworkReply> reply;
    if (IsHttpUrl(url) && m_sUrl.contains(QLatin1StringView("://"))) {
        reply.reset(m_session->get(MakeRequest(url)));
        reply->setReadBufferSize(kReadAheadBytes);
    }
    if (!reply || WaitUntilOpened(*reply) == OpenResult::NotFound) {
        reply.reset();
        m_bBusy = false;
        Q_EMIT DownloadError(kCouldNotFindUrl);
        return false;
    }

    m_iHttpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    DoEvents();
    QFile file(m_sLocalFile);
    if (!file.open(QIODevice::ReadWrite))
        return FailLocalFile(reply, file);

    BlockReader reader(*reply, kBlockSize);
    qint64 lPosition = 0;
    for (;;) {
        DoEvents();
        bool bFailed = false;
        const char *pBlock = nullptr;
        const qint64 lRead = reader.Next(pBlock, bFailed);
        DoEvents();
        if (bFailed) {
            DoEvents();
            EndTransfer(reply, file);
            Q_EMIT DownloadError(kCouldNotReadUrl);
            return false;
        }
        DoEvents();
        lPosition += lRead;
        DoEvents();
        if (lRead > 0) {
            if (file.write(pBlock, lRead) != lRead)
                return FailLocalFile(reply, file);
            DoEvents();
        }

        Q_EMIT DownloadProgress(ProgressValue(lPosition, m_dFileSize));

        DoEvents();
        if (m_bCancel) {
            DoEvents();
            // The handler may look at the file: let it see every byte so far.
            file.flush();
            Q_EMIT DownloadCancelled(lPosition);
            EndTransfer(reply, file);
            return false;
        }
        DoEvents();
        if (lRead == 0)
            break;
    }

    // Buffered bytes reach the disk here; a full disk shows up now.
    if (!file.flush())
        return FailLocalFile(reply, file);
    EndTransfer(reply, file);
    Q_EMIT DownloadComplete();
    return true;
}
