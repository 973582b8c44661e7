#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QEventLoop;
class QProcess;
class QTimer;

// Runs yt-dlp (or any program) with an argument list, never through a shell,
// and collects what it prints. The program runs in a process group of its
// own: whatever it starts ends with it when the run is ended.
//
// Run returns when the program has ended, processing events meanwhile (as
// Download does); Cancel is the call meant to be made during it.
class YtDlpRunner : public QObject
{
    Q_OBJECT

public:
    enum class Result { Finished, Failed, Cancelled };

    static constexpr qint64 kOutputLimit = 64 * 1024 * 1024;
    static constexpr int kTimeLimitSeconds = 120;

    explicit YtDlpRunner(QObject *parent = nullptr);
    ~YtDlpRunner() override;

    // Seconds the program may take. kTimeLimitSeconds unless set, or unless
    // CLIPVANE_YTDLP_TIME_LIMIT names another number (tests).
    void SetTimeLimitSeconds(double dSeconds) { m_dTimeLimitSeconds = dSeconds; }
    void SetOutputLimit(qint64 lBytes) { m_lOutputLimit = lBytes; }

    // Finished when the program ran to its end with exit status 0 (its
    // output is in Output); Failed with the reason in ErrorString.
    Result Run(const QString &sProgram, const QStringList &arguments);
    void Cancel();

    QByteArray Output() const { return m_output; }
    QString ErrorString() const { return m_sError; }
    // The last line of its standard error that starts "ERROR:", without
    // that word; empty when there was none.
    QString LastErrorLine() const { return m_sErrorLine; }

private:
    // Ends the process group: asked first, then made to.
    void End(const QString &sWhy);
    void TakeErrorLines();

    double m_dTimeLimitSeconds;
    qint64 m_lOutputLimit = kOutputLimit;
    QProcess *m_pProcess = nullptr;
    QEventLoop *m_pLoop = nullptr;
    qint64 m_iGroup = 0;
    bool m_bCancelled = false;
    QByteArray m_output;
    QByteArray m_errors;
    QString m_sError;
    QString m_sErrorLine;
};
