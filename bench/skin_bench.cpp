// Start-up time and resident memory of the skinned window, next to a bare
// Qt Widgets window of the same size measured in the same run:
//
//     skin_bench [--runs N] [--xvfb]
//
// Each window is shown by a child process of this program; the time counts
// from just before the child is started (so it includes loading the
// libraries) to the first frame the window has drawn: each window's first
// painted frame. The memory is VmRSS after the
// window has rested for half a second. --xvfb starts a private X server for
// the children; without it they use the platform the environment gives, or
// the offscreen one when there is no display.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QQuickWindow>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "gui/skinhost.h"

namespace {

constexpr int kRestMs = 500;

qint64 MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Reports the moment the window first showed, then its memory at rest.
void Shown()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    std::printf("shown %lld\n", static_cast<long long>(MonotonicNs()));
    std::fflush(stdout);
    QTimer::singleShot(kRestMs, [] {
        std::printf("rss %ld\n", ResidentKiB());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

// Both windows count as shown once their first painted frame has gone to
// the screen: after the paint event that drew it, when the event loop is
// free again.
class BareWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(0xf3, 0xf5, 0xf8));
        QTimer::singleShot(0, &Shown);
    }
};

// The skin paints its scene's image; a paint before the scene has rendered
// its first frame shows nothing yet.
class MeasuredSkin : public SkinHost
{
public:
    MeasuredSkin()
    {
        connect(quickWindow(), &QQuickWindow::afterRendering, this, [this] { m_rendered = true; },
                Qt::DirectConnection);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        SkinHost::paintEvent(e);
        if (m_rendered)
            QTimer::singleShot(0, &Shown);
    }

private:
    bool m_rendered = false;
};

int RunChild(const QString &kind, int argc, char *argv[])
{
    if (kind == QStringLiteral("skin"))
        SkinHost::SelectRenderer();
    QApplication app(argc, argv);
    if (kind == QStringLiteral("skin")) {
        MeasuredSkin skin;
        skin.show();
        return app.exec();
    }
    BareWindow window;
    window.setFixedSize(SkinHost::kWidth, SkinHost::kHeight);
    window.show();
    return app.exec();
}

struct Sample
{
    double ms = 0;
    double mib = 0;
};

bool Measure(const QString &kind, const QProcessEnvironment &env, Sample &sample)
{
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 started = MonotonicNs();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return false;
    qint64 shown = 0;
    long rss = -1;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("shown "))
            shown = line.mid(6).toLongLong();
        else if (line.startsWith("rss "))
            rss = line.mid(4).toLong();
    }
    if (shown == 0 || rss < 0)
        return false;
    sample.ms = double(shown - started) / 1e6;
    sample.mib = double(rss) / 1024.0;
    return true;
}

void Report(const QString &kind, QList<Sample> samples)
{
    std::sort(samples.begin(), samples.end(),
              [](const Sample &a, const Sample &b) { return a.ms < b.ms; });
    const Sample &median = samples.at(samples.size() / 2);
    double mibMax = 0;
    for (const Sample &s : samples)
        mibMax = std::max(mibMax, s.mib);
    std::printf("%-8s shown: median %6.1f ms (min %6.1f, max %6.1f)   VmRSS at rest: median %5.1f MiB "
                "(max %5.1f)   runs %lld\n",
                qPrintable(kind), median.ms, samples.first().ms, samples.last().ms, median.mib,
                mibMax, static_cast<long long>(samples.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(QString::fromLatin1(argv[2]), argc, argv);

    QCoreApplication app(argc, argv);
    int runs = 7;
    bool xvfb = false;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QStringLiteral("--xvfb"))
            xvfb = true;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess server;
    if (xvfb) {
        // A display number no one else is likely to hold.
        const QString display = QStringLiteral(":%1").arg(90 + QCoreApplication::applicationPid() % 100);
        server.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp")});
        const QString socket = QStringLiteral("/tmp/.X11-unix/X") + display.mid(1);
        for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
            QThread::msleep(50);
        if (!QFileInfo::exists(socket)) {
            std::fprintf(stderr, "Xvfb did not start\n");
            return 1;
        }
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY"))) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    std::printf("platform: %s\n",
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("(default)"))));

    // One unmeasured start of each first, so both find the libraries in the
    // page cache.
    QList<Sample> widgets, skin;
    Sample sample;
    const QString kinds[] = {QStringLiteral("widgets"), QStringLiteral("skin")};
    for (const QString &kind : kinds) {
        if (!Measure(kind, env, sample)) {
            std::fprintf(stderr, "the %s child failed\n", qPrintable(kind));
            return 1;
        }
    }
    // Alternate the two so that a busy moment of the machine hits both.
    for (int i = 0; i < runs; ++i) {
        for (const QString &kind : kinds) {
            if (!Measure(kind, env, sample)) {
                std::fprintf(stderr, "the %s child failed\n", qPrintable(kind));
                return 1;
            }
            (kind == kinds[0] ? widgets : skin).append(sample);
        }
    }
    Report(kinds[0], widgets);
    Report(kinds[1], skin);

    if (xvfb) {
        server.terminate();
        server.waitForFinished(3000);
    }
    return 0;
}
