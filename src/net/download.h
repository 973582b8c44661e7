#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QPair>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

#include "core/byteranges.h"

class PartFile;
struct PartOrigin;
class QNetworkAccessManager;
class QNetworkRequest;
class QUrl;

// The transfer control: copies one remote file to one local file over HTTP
// and answers a header-only question about a remote file.
//
// Everything runs synchronously on the calling thread. StartDownload returns
// only when the transfer has ended; its signals are emitted from inside it
// (connect them directly), and pending events are processed at almost every
// step, so the host's own handlers and commands run nested in a transfer.
// One instance does one thing at a time: never start a second StartDownload
// or RequestInformation on it while one runs. CancelDownload is the one call
// meant to be made during a transfer.
class Download : public QObject
{
    Q_OBJECT

public:
    // Bytes per block: each block read is written and reported on its own.
    static constexpr qint64 kBlockSize = 2048;

    explicit Download(QObject *parent = nullptr);
    ~Download() override;

    // Empties the results of RequestInformation, as an address without an
    // answer leaves them.
    void ForgetInformation();

    // Results of the last RequestInformation.
    bool FileExists() const { return m_bFileExists; }
    QString LastModified() const { return m_sLastModified; }
    // Content length in bytes; -1 when the server sent none. Also read by the
    // transfer to turn bytes into a percentage, and writable for that reason.
    double FileSize() const { return m_dFileSize; }
    void SetFileSize(double New_FileSize) { m_dFileSize = New_FileSize; }
    QString RemoteFileName() const { return m_sRemoteFileName; }
    // The name alone that the last RequestInformation's answer suggested
    // (see HeaderBlock::SuggestedFileName); empty when it suggested none.
    QString SuggestedFileName() const { return m_sSuggestedFileName; }
    QString RemoteFileType() const { return m_sRemoteFileType; }

    QString LocalFile() const { return m_sLocalFile; }
    void SetLocalFile(const QString &New_LocalFile) { m_sLocalFile = New_LocalFile; }
    QString Url() const { return m_sUrl; }
    void SetUrl(const QString &New_Url) { m_sUrl = New_Url; }
    // The address a kept part is recorded under, when not Url: a signed
    // address changes with each visit to the page it came from, which names
    // the same file. The server's validator still has to confirm the file.
    void SetResumeKey(const QString &sKey) { m_sResumeKey = sKey; }
    // Whether requests send the agent of a current browser (kBrowserUserAgent)
    // instead of the old one the site rules were written for, which other
    // sites refuse or answer with a page for old browsers.
    void SetBrowserAgent(bool bBrowser) { m_bBrowserAgent = bBrowser; }
    // Credentials for the information request; the password is sent only
    // when the user name is not empty.
    QString SiteUser() const { return m_sSiteUser; }
    void SetSiteUser(const QString &New_SiteUser) { m_sSiteUser = New_SiteUser; }
    QString SitePassword() const { return m_sSitePassword; }
    void SetSitePassword(const QString &New_SitePassword) { m_sSitePassword = New_SitePassword; }

    // Why the last StartDownload failed without a signal: the local file could
    // not be made, written or put under its name, the keep test refused it,
    // or the control was already busy. Empty after any other outcome.
    QString LastError() const { return m_sLastError; }

    // HTTP status of the answer the last StartDownload transferred (after
    // redirects); 0 when no answer came. An error page is transferred like a
    // file, so this is how a caller tells it from the file it asked for.
    int HttpStatus() const { return m_iHttpStatus; }
    // That answer's reason phrase ("Not Found"); empty when it gave none.
    QString HttpReason() const { return m_sHttpReason; }
    // What that answer said of the whole file's length: its Content-Length
    // (with the bytes it continued, for a continued part), -1 when it gave
    // none (or no answer came).
    qint64 ContentLength() const { return m_lContentLength; }
    // The Content-Type of the last answer (of RequestInformation or
    // StartDownload) as sent; empty when it gave none.
    QString ContentType() const { return m_sContentType; }
    // The address that gave the last answer (of RequestInformation or
    // StartDownload), after the redirects followed to it; Url when no answer
    // came. Relative addresses in a page resolve against it.
    QString AnswerUrl() const { return m_sAnswerUrl.isEmpty() ? m_sUrl : m_sAnswerUrl; }
    // Bytes the last StartDownload's file holds, a continued part's included.
    qint64 BytesReceived() const { return m_lBytesReceived; }
    // The bytes of a kept part that the last StartDownload continued from
    // (0 when it started the file from its first byte).
    qint64 ResumedFrom() const { return m_lResumedFrom; }
    // How the connection of the last StartDownload failed (NoError when it
    // did not; an answer with an error status is no failure here).
    QNetworkReply::NetworkError TransportError() const { return m_transportError; }
    // The last StartDownload's answer never finished its headers: a broken
    // server, which trying again will not mend.
    bool BrokenAnswer() const { return m_bBrokenAnswer; }
    // The last answer's Retry-After in seconds from its arrival; -1 for none.
    qint64 RetryAfterSeconds() const { return m_lRetryAfterSeconds; }

    // File transfers keep what they received: with this set, a transfer that
    // is cancelled or fails leaves LocalFile + ".part" on disk with the
    // address and validator of the answer that started it, and the next
    // transfer of the same address to the same file asks only for the rest
    // (Range and If-Range). Only a 200 answer, or a 206 that continues the
    // part, is written; any other answer leaves the part as it was and ends
    // the transfer as a failure (LastError names the answer's status).
    void SetResume(bool bResume) { m_bResume = bResume; }

    // Where the last StartDownload that returned true put its file:
    // LocalFile, or a numbered name beside it when LocalFile was taken by
    // then (nothing under a taken name is ever replaced). Empty otherwise.
    QString SavedFile() const { return m_sSavedFile; }

    // How a finished file is written out before it takes its name (fsync
    // unless set; see PartFile).
    void SetSyncFunction(std::function<int(int)> sync) { m_sync = std::move(sync); }

    // True while the network session is open (it is opened on demand and
    // dropped at the end of every transfer).
    bool SessionOpen() const { return m_session != nullptr; }

    // Seconds without any network activity after which a request counts as
    // failed (no answer / read failure), so a silent server cannot hang the
    // program. 60 unless changed; 0 disables the limit.
    void SetInactivityTimeoutSeconds(int iSeconds) { m_iTimeoutSeconds = iSeconds; }
    int InactivityTimeoutSeconds() const { return m_iTimeoutSeconds; }

    // Seconds from a request until its answer's headers must have ended;
    // an answer still sending headers then is abandoned as no answer, so a
    // server cannot have Qt buffer an endless header. 20 unless changed.
    static constexpr int kHeaderTimeLimitSeconds = 20;
    void SetHeaderTimeLimitSeconds(int iSeconds) { m_iHeaderLimitSeconds = iSeconds; }

    // Sent with every request (of a transfer and of RequestInformation)
    // until set otherwise: what a site ties its file to (a Referer, a
    // Cookie, its User-Agent). A name the control sets itself is replaced.
    void SetExtraHeaders(const QList<QPair<QByteArray, QByteArray>> &headers)
    {
        m_extraHeaders = headers;
    }

    // Bytes after which a transfer counts the answer as complete and stops
    // reading (0, the default: no limit).
    void SetByteLimit(qint64 lBytes) { m_lByteLimit = lBytes; }

    // Asked when a transfer has run to its end, before the file takes its
    // name: false throws the file away, and the transfer ends as a failure
    // (LastError names the answer's status). Unset, every complete transfer
    // is kept.
    void SetKeepTest(std::function<bool()> keep) { m_keep = std::move(keep); }

    // With resume on, a file of at least two minimum pieces whose server
    // serves ranges is fetched over up to iConnections connections at once
    // (see SplitTransfer); 1, the default, keeps one connection. A part kept
    // from such a transfer is continued in pieces whatever the number.
    void SetConnections(int iConnections, qint64 lMinPiece = SplitMinPiece())
    {
        m_iConnections = qMax(iConnections, 1);
        m_lMinPiece = lMinPiece;
    }
    // Tries again of each connection of a split transfer, and the share of
    // the planned waits between them (tests).
    void SetConnectionRetries(int iRetries, double dTimeScale = 1.0)
    {
        m_iConnectionRetries = iRetries;
        m_dRetryTimeScale = dTimeScale;
    }
    static qint64 SplitMinPiece();

    // Asked once a transfer's answer has arrived, before any of it is
    // written: false ends the transfer there as a cancel does
    // (DownloadCancelled, no file). Unset, every answer is read.
    void SetOpenTest(std::function<bool()> open) { m_open = std::move(open); }

    // Copies Url to LocalFile. The bytes go to LocalFile + ".part", made anew
    // (never through a link) or continued (see SetResume); only a complete
    // transfer gives the file a name, by renaming the part to LocalFile or,
    // when something has taken that name by then, to the next free numbered
    // one (see SavedFile). Any other outcome removes the part (or keeps it,
    // see SetResume). What lay under a name before is never touched. True when the
    // transfer ran to its end and the file was kept (DownloadComplete was
    // emitted); false after DownloadError, after DownloadCancelled, or when
    // the local file failed (see LastError; no signal then).
    bool StartDownload();
    // Asks the running transfer or information request to stop: after the
    // current block, or at once while it waits for the network.
    void CancelDownload() { m_bCancel = true; }
    // Sends a HEAD request for Url and fills FileExists, LastModified,
    // FileSize, RemoteFileName, SuggestedFileName and RemoteFileType. Emits
    // nothing. A cancelled request counts as one without an answer.
    void RequestInformation();

Q_SIGNALS:
    // The server reported the end of the data; the file is closed.
    void DownloadComplete();
    // After every block read, including the final empty one: a percentage of
    // FileSize when that is above 0, otherwise the bytes received so far.
    void DownloadProgress(qint64 lProgress);
    // "Could not find Url" (the address could not be opened) or
    // "Could not read URL" (a read failed; the file is closed, and the part
    // received is kept or removed as SetResume says).
    void DownloadError(const QString &sErrorDescription);
    // A cancel was found after a progress signal or during a wait; lPosition
    // is the bytes received. The local file is still open during the signal.
    void DownloadCancelled(qint64 lPosition);

private:
    enum class OpenResult { Opened, NotFound, Abandoned, Cancelled };

    void OpenSession();
    void CloseSession();
    // lFrom above 0 asks for the rest of the file from there, if it is still
    // the file sValidator names.
    QNetworkRequest MakeRequest(const QUrl &url, qint64 lFrom = 0,
                                const QString &sValidator = QString()) const;
    // Opens the answer a transfer writes: the request, redirects, and in
    // resume mode the decision whether the kept part goes on. lFrom is where
    // the part goes on (0: from the start).
    OpenResult OpenAnswer(const QUrl &url, std::unique_ptr<QNetworkReply> &reply, PartFile &file,
                          PartOrigin &origin, qint64 &lFrom);
    void NoteAnswer(const QNetworkReply &reply);
    // Puts the answer's bytes where they belong: a part made anew, or the
    // kept part at lFrom. False when the local file failed, or (resume mode)
    // when the answer is not the file.
    bool PrepareFile(const QNetworkReply &reply, PartFile &file, qint64 lFrom);
    enum class WaitResult { Done, Abandoned, Cancelled };
    // Waits until bDone says so or the reply finishes, until the header time
    // limit has passed (the reply is aborted: Abandoned), or until a cancel.
    WaitResult WaitForHeaders(QNetworkReply &reply, const std::function<bool()> &bDone) const;
    OpenResult WaitUntilOpened(QNetworkReply &reply) const;
    void RequestInformationNow();
    void FillInformation(const QNetworkReply &reply);

    // What a running transfer holds (the answer, the part, the session and
    // the busy flag), given back once however the transfer ends.
    class TransferGuard;
    // Where a step of a transfer left it: handed on to the next step, or
    // ended. Failed ends without a signal (LastError says why).
    enum class Step { Next, Complete, Cancelled, NotFound, ReadFailed, Failed };
    // Before a transfer's guard is taken: the session, and the information
    // request unless one was made.
    void PrepareTransfer();
    Step Transfer();
    Step OpenPart(TransferGuard &guard, qint64 &lFrom);
    Step Receive(TransferGuard &guard);
    Step ReceiveSplit(TransferGuard &guard, qint64 lFrom);
    // After the last byte: the final progress, the keep test, the name.
    Step Finish(TransferGuard &guard);
    // Tells the host how the transfer ended, once its guard has let go; a
    // stop was told before, while the part was still open.
    bool Announce(Step step);
    Step FailLocalFile(const PartFile &file);
    bool SplitsHere(const PartFile &file) const;
    QString ResumeKey() const { return m_sResumeKey.isEmpty() ? m_sUrl : m_sResumeKey; }

    std::unique_ptr<QNetworkAccessManager> m_session;

    bool m_bFileExists = false;
    QString m_sLastModified;
    double m_dFileSize = 0;
    QString m_sLocalFile;
    QString m_sRemoteFileName;
    QString m_sSuggestedFileName;
    QString m_sRemoteFileType;
    QString m_sUrl;
    QString m_sResumeKey;
    bool m_bBrowserAgent = false;
    QString m_sSiteUser;
    QString m_sSitePassword;
    QString m_sLastError;
    int m_iHttpStatus = 0;
    QString m_sHttpReason;
    qint64 m_lContentLength = -1;
    QString m_sContentType;
    QString m_sAnswerUrl;
    qint64 m_lBytesReceived = 0;
    qint64 m_lResumedFrom = 0;
    QNetworkReply::NetworkError m_transportError = QNetworkReply::NoError;
    qint64 m_lRetryAfterSeconds = -1;
    bool m_bResume = false;
    bool m_bBrokenAnswer = false;
    QString m_sSavedFile;
    std::function<int(int)> m_sync;

    bool m_bInfoRequested = false;
    bool m_bTransferBegun = false;
    bool m_bCancel = false;
    // One operation at a time: a nested call would pull the session out from
    // under the running one.
    bool m_bBusy = false;
    int m_iTimeoutSeconds = 60;
    int m_iHeaderLimitSeconds = kHeaderTimeLimitSeconds;
    qint64 m_lByteLimit = 0;
    std::function<bool()> m_keep;
    std::function<bool()> m_open;
    QList<QPair<QByteArray, QByteArray>> m_extraHeaders;
    int m_iConnections = 1;
    qint64 m_lMinPiece = SplitMinPiece();
    int m_iConnectionRetries = 5;
    double m_dRetryTimeScale = 1.0;
    // What the kept part that the transfer continues holds (empty when it
    // starts the file).
    ByteRanges m_kept;
};
