// Start-up time and resident memory of the skinned main window, next to a
// bare Qt Widgets window and an empty Qt Quick window of the same size
// measured in the same run:
//
//     skin_bench [--runs N] [--xvfb]
//
// Each window is shown by a child process of this program. The time counts
// from just before the child is started (so it includes loading the
// libraries) to the window's first painted frame; the child's own CPU time
// until then is given too, since on a busy machine it varies far less than
// the wall-clock time. The memory is VmRSS after the window has rested for
// half a second. --xvfb starts a private X server for the children; without
// it they use the platform the environment gives, or the offscreen one when
// there is no display. All children get the same environment, the same
// Qt Quick renderer and the same QML cache; the three take turns, and each
// figure is the median of the runs.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QQuickWindow>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "gui/fontpreload.h"
#include "gui/frmmain.h"
#include "gui/scenecommandchannel.h"
#include "gui/scenevariables.h"
#include "gui/skinhost.h"
#include "quickviewprobe.h"
#include "startupprobe.h"

// Generated with the Clipvane.Skin module; registers its C++ types.
void qml_register_types_Clipvane_Skin();

namespace {

using startupprobe::MonotonicNs;
using startupprobe::Shown;

// The skin paints its scene's image; a paint before the scene has rendered
// its first frame shows nothing yet.
class FirstFrameProbe : public QObject
{
public:
    explicit FirstFrameProbe(SkinHost &skin)
    {
        connect(skin.quickWindow(), &QQuickWindow::afterRendering, this,
                [this] { m_rendered = true; }, Qt::DirectConnection);
        skin.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override
    {
        if (pEvent->type() == QEvent::Paint && m_rendered)
            QTimer::singleShot(0, &Shown);
        return QObject::eventFilter(pWatched, pEvent);
    }

private:
    std::atomic<bool> m_rendered = false;
};

// The whole main window as the program starts it (its session, settings,
// tray icon and grid, the font configuration read on the side), in a home
// of its own so that no stored settings and no running program interfere.
int RunSkin(int argc, char *argv[])
{
    QTemporaryDir home;
    const QString sRun = home.filePath(QStringLiteral("run"));
    QDir().mkpath(sRun);
    QFile::setPermissions(sRun, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", sRun.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    FontPreload::Start();
    SkinHost::SelectRenderer();
    QApplication app(argc, argv);
    const FontPreload::ApplicationScope fontDatabaseLoad;
    frmMain window;
    FirstFrameProbe probe(window.Skin());
    window.show();
    return app.exec();
}

// The skin's scene alone in a Qt Quick window, with no program around it
// (the fonts read on the side, as the program has them): what the scene
// itself costs, apart from the program's own start.
int RunSceneOnly(int argc, char *argv[])
{
    FontPreload::Start();
    SkinHost::SelectRenderer();
    QGuiApplication app(argc, argv);
    const FontPreload::ApplicationScope fontDatabaseLoad;
    volatile auto registration = &qml_register_types_Clipvane_Skin;
    Q_UNUSED(registration);
    SceneVariables vars;
    SceneCommandChannel commands;
    QQuickView view;
    view.setInitialProperties({{QStringLiteral("vars"), QVariant::fromValue(&vars)},
                               {QStringLiteral("commands"), QVariant::fromValue(&commands)}});
    FontPreload::Wait();
    return startupprobe::ShowScene(view, QUrl(QStringLiteral("qrc:/qt/qml/Clipvane/Skin/Main.qml")));
}

struct Sample
{
    double ms = 0;
    double cpuMs = 0;
    double mib = 0;
};

bool Measure(const QString &kind, const QProcessEnvironment &env, Sample &sample)
{
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 started = MonotonicNs();
    // The references are programs of their own, each linking only the Qt
    // libraries it needs.
    if (kind == QStringLiteral("skin"))
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
    else if (kind == QStringLiteral("scene_only"))
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--scene-only")});
    else if (kind == QStringLiteral("text_quick_window"))
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/empty_quick_window"),
                    {QStringLiteral("--text")});
    else
        child.start(QCoreApplication::applicationDirPath() + QLatin1Char('/') + kind, {});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return false;
    qint64 shown = 0;
    qint64 cpu = 0;
    long rss = -1;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("shown "))
            shown = line.mid(6).toLongLong();
        else if (line.startsWith("cpu "))
            cpu = line.mid(4).toLongLong();
        else if (line.startsWith("rss "))
            rss = line.mid(4).toLong();
    }
    if (shown == 0 || rss < 0)
        return false;
    sample.ms = double(shown - started) / 1e6;
    sample.cpuMs = double(cpu) / 1e6;
    sample.mib = double(rss) / 1024.0;
    return true;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

struct Medians
{
    double ms = 0;
    double cpuMs = 0;
};

Medians Report(const QString &kind, const QList<Sample> &samples)
{
    QList<double> ms, cpu, mib;
    for (const Sample &s : samples) {
        ms.append(s.ms);
        cpu.append(s.cpuMs);
        mib.append(s.mib);
    }
    std::printf("%-18s shown after %6.1f ms (min %6.1f, max %6.1f); its own CPU time %5.1f ms; "
                "VmRSS at rest %5.1f MiB (max %5.1f); medians of %lld runs\n",
                qPrintable(kind), Median(ms), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()), Median(cpu), Median(mib),
                *std::max_element(mib.begin(), mib.end()), static_cast<long long>(samples.size()));
    return {Median(ms), Median(cpu)};
}

void ReportRatio(const QString &kind, const Medians &skin, const Medians &reference)
{
    std::printf("skin / %-18s %5.2f x the time, %5.2f x the CPU time\n", qPrintable(kind),
                skin.ms / reference.ms, skin.cpuMs / reference.cpuMs);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && qstrcmp(argv[1], "--child") == 0)
        return RunSkin(argc, argv);
    if (argc >= 2 && qstrcmp(argv[1], "--scene-only") == 0)
        return RunSceneOnly(argc, argv);

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
        // Xvfb picks a free display itself and writes its number to us.
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp")});
        QByteArray number;
        while (!number.contains('\n') && server.waitForReadyRead(10000))
            number += server.readAllStandardOutput();
        if (number.trimmed().isEmpty()) {
            std::fprintf(stderr, "Xvfb did not start\n");
            return 1;
        }
        const QString display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY"))) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    // Qt Quick keeps compiled scenes in the user's cache: as for a user, only
    // the first start fills it, and the unmeasured starts below do that.
    if (!env.contains(QStringLiteral("XDG_CACHE_HOME")))
        env.insert(QStringLiteral("XDG_CACHE_HOME"),
                   QDir::temp().filePath(QStringLiteral("clipvane-skin-bench-cache")));
    std::printf("platform: %s\n",
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("(default)"))));

    // One unmeasured start of each first, so all find the libraries in the
    // page cache.
    Sample sample;
    const QString kinds[] = {QStringLiteral("bare_window"), QStringLiteral("empty_quick_window"),
                             QStringLiteral("text_quick_window"), QStringLiteral("scene_only"),
                             QStringLiteral("skin")};
    QList<Sample> samples[std::size(kinds)];
    for (const QString &kind : kinds) {
        if (!Measure(kind, env, sample)) {
            std::fprintf(stderr, "the %s child failed\n", qPrintable(kind));
            return 1;
        }
    }
    // Take turns so that a busy moment of the machine hits all of them.
    for (int i = 0; i < runs; ++i) {
        for (size_t k = 0; k < std::size(kinds); ++k) {
            if (!Measure(kinds[k], env, sample)) {
                std::fprintf(stderr, "the %s child failed\n", qPrintable(kinds[k]));
                return 1;
            }
            samples[k].append(sample);
        }
    }
    const Medians bare = Report(kinds[0], samples[0]);
    const Medians quick = Report(kinds[1], samples[1]);
    const Medians text = Report(kinds[2], samples[2]);
    const Medians scene = Report(kinds[3], samples[3]);
    const Medians skin = Report(kinds[4], samples[4]);
    ReportRatio(kinds[0], skin, bare);
    ReportRatio(kinds[1], skin, quick);
    ReportRatio(kinds[3], skin, scene);
    // What the skin's scene and a single line of text cost by themselves.
    for (const auto &[pName, medians] : {std::pair{"text_quick_window", text},
                                         std::pair{"scene_only", scene}}) {
        std::printf("%-17s / empty_quick_window %5.2f x the time, %5.2f x the CPU time\n", pName,
                    medians.ms / quick.ms, medians.cpuMs / quick.cpuMs);
    }

    if (xvfb) {
        server.terminate();
        server.waitForFinished(3000);
    }
    return 0;
}
