#include "session/ytdlprunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

#include "session/queuelog.h"

namespace {

// What stays of standard error: enough for its last lines.
constexpr qsizetype kErrorKeep = 64 * 1024;
// How long a program asked to end may take before it is made to.
constexpr int kEndGraceMs = 2000;

QString TooMuchOutput(qint64 lLimit)
{
    return QStringLiteral("yt-dlp wrote more than %1 MiB").arg(lLimit / (1024 * 1024));
}

double TimeLimitFromEnvironment()
{
    bool bNumber = false;
    const double dSeconds = qEnvironmentVariable("CLIPVANE_YTDLP_TIME_LIMIT").toDouble(&bNumber);
    return bNumber && dSeconds > 0 ? dSeconds : YtDlpRunner::kTimeLimitSeconds;
}

} // namespace

YtDlpRunner::YtDlpRunner(QObject *parent)
    : QObject(parent)
    , m_dTimeLimitSeconds(TimeLimitFromEnvironment())
{
}

YtDlpRunner::~YtDlpRunner()
{
    // Nothing it started outlives it.
    if (m_iGroup > 0)
        ::kill(static_cast<pid_t>(-m_iGroup), SIGKILL);
}

void YtDlpRunner::Cancel()
{
    m_bCancelled = true;
    if (m_pProcess)
        End(QString());
}

void YtDlpRunner::End(const QString &sWhy)
{
    if (m_sError.isEmpty())
        m_sError = sWhy;
    if (m_iGroup <= 0)
        return;
    ::kill(static_cast<pid_t>(-m_iGroup), SIGTERM);
    // A program that ignores the request is ended anyway, children and all.
    const qint64 iGroup = m_iGroup;
    QTimer::singleShot(kEndGraceMs, this, [this, iGroup] {
        if (m_iGroup == iGroup)
            ::kill(static_cast<pid_t>(-iGroup), SIGKILL);
    });
}

void YtDlpRunner::TakeErrorLines()
{
    const QList<QByteArray> lines = m_errors.split('\n');
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const QByteArray line = it->trimmed();
        if (line.startsWith("ERROR:")) {
            m_sErrorLine = QString::fromUtf8(line.mid(6).trimmed());
            return;
        }
    }
}

YtDlpRunner::Result YtDlpRunner::Run(const QString &sProgram, const QStringList &arguments)
{
    m_bCancelled = false;
    m_output.clear();
    m_errors.clear();
    m_sError.clear();
    m_sErrorLine.clear();

    QProcess process;
    process.setProgram(sProgram);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    // A group of its own, so that ending it ends what it started too.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, this, [this] {
        End(QStringLiteral("yt-dlp did not answer within %1 s").arg(m_dTimeLimitSeconds));
    });
    connect(&process, &QProcess::readyReadStandardOutput, this, [this, &process] {
        const QByteArray more = process.readAllStandardOutput();
        // Once it is being ended, what it still writes is not wanted.
        if (!m_sError.isEmpty() || m_bCancelled)
            return;
        m_output += more;
        if (m_output.size() > m_lOutputLimit) {
            m_output.clear();
            End(TooMuchOutput(m_lOutputLimit));
        }
    });
    connect(&process, &QProcess::readyReadStandardError, this, [this, &process] {
        m_errors += process.readAllStandardError();
        if (m_errors.size() > 2 * kErrorKeep)
            m_errors = m_errors.right(kErrorKeep);
    });
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(&process, &QProcess::errorOccurred, &loop,
            [&loop, &process](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart || process.state() == QProcess::NotRunning)
                    loop.quit();
            });

    m_pProcess = &process;
    process.start();
    if (process.waitForStarted(-1) && !m_bCancelled) {
        m_iGroup = process.processId();
        limit.start(static_cast<int>(m_dTimeLimitSeconds * 1000));
        if (process.state() != QProcess::NotRunning)
            loop.exec();
    } else if (m_bCancelled && process.state() != QProcess::NotRunning) {
        m_iGroup = process.processId();
        End(QString());
        loop.exec();
    }
    m_pProcess = nullptr;
    // What is still in the pipes arrived before the end.
    if (m_sError.isEmpty()) {
        m_output += process.readAllStandardOutput();
        if (m_output.size() > m_lOutputLimit) {
            m_output.clear();
            m_sError = TooMuchOutput(m_lOutputLimit);
        }
    }
    m_errors += process.readAllStandardError();
    // Children it left behind go with it.
    if (m_iGroup > 0)
        ::kill(static_cast<pid_t>(-m_iGroup), SIGKILL);
    m_iGroup = 0;
    TakeErrorLines();

    if (m_bCancelled)
        return Result::Cancelled;
    if (process.error() == QProcess::FailedToStart) {
        m_sError = QStringLiteral("yt-dlp could not be started: %1").arg(process.errorString());
        return Result::Failed;
    }
    if (!m_sError.isEmpty()) {
        qCWarning(lcQueue, "%s: %s", qPrintable(sProgram), qPrintable(m_sError));
        return Result::Failed;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_sError = !m_sErrorLine.isEmpty() ? m_sErrorLine
            : process.exitStatus() != QProcess::NormalExit
            ? QStringLiteral("yt-dlp ended abnormally")
            : QStringLiteral("yt-dlp ended with exit status %1").arg(process.exitCode());
        return Result::Failed;
    }
    return Result::Finished;
}
