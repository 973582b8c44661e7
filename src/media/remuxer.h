#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <memory>

struct AVPacket;
struct AVRational;

// Joins the streams of a stream download into one ordinary file, copying
// the coded data as it is (never re-encoding).
//
// Each input is one local file holding one stream's fragments in order:
// MPEG-TS fragments one after the other, or an fMP4 init section followed
// by its media segments. Two inputs are a video and an audio stream that
// come apart; they are joined into one file. The result is an MP4 that
// starts at time 0 and can be played while it is read (its index first),
// or Matroska when MP4 cannot hold a stream: Extension() says which, so
// the caller names the file after it.
//
// Run blocks; the engine may run it on a thread of its own. Progress is
// emitted on the thread that runs it.
class Remuxer : public QObject
{
    Q_OBJECT

public:
    explicit Remuxer(QObject *pParent = nullptr);
    ~Remuxer() override;

    // Writes the streams of lInputs to sOutputPath, replacing whatever is
    // there (a link itself, never its target). True only when the file is
    // whole; otherwise nothing it wrote is left and ErrorString says why.
    bool Run(const QStringList &lInputs, const QString &sOutputPath);

    // "mp4" or "mkv": the container the last Run chose.
    QString Extension() const { return m_sExtension; }
    QString ErrorString() const { return m_sError; }

    // Makes a Run in progress, or the next one, stop soon and fail. Safe
    // to call from any thread.
    void Cancel() { m_bCancelled = true; }
    bool IsCancelled() const { return m_bCancelled; }

Q_SIGNALS:
    // Bytes of the inputs read so far, of lTotal.
    void Progress(qint64 lDone, qint64 lTotal);

private:
    struct Job;

    bool Remux(Job &job, const QStringList &lInputs, const QString &sOutputPath);
    bool OpenOutput(Job &job, const QString &sOutputPath);
    bool CopyPackets(Job &job);
    void Retime(Job &job, int iInput, int iOutput, AVPacket *pPacket, AVRational inBase);
    void ReportProgress(Job &job, bool bForce);
    bool Fail(const QString &sError);

    QString m_sExtension;
    QString m_sError;
    std::atomic<bool> m_bCancelled{false};
};
