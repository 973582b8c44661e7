// Times the grid with 1,000 items, offscreen: a rebuild of the list bound to
// the fully laid-out grid, and the painting that one progress update costs
// (one Status cell written, the window's pending paint done). The painted area
// of each update is recorded, to show that only the one cell is repainted;
// a repaint of the whole visible grid is timed alongside for reference.
// Then what a long run of rebuilds leaves behind: a short list rebuilt 20,000
// times bound to the grid, with the objects the grid holds and the process's
// memory before and after.

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QPaintEvent>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/imessagebox.h"
#include "gui/frmmain.h"
#include "gui/downloadgrid.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/runstate.h"
#include "peakmemory.h"
#include "session/downloadsession.h"

namespace {

constexpr int kItems = 1000;
constexpr int kRebuilds = 51;
constexpr int kUpdates = 600;
constexpr int kUpdatesPerSecond = 60;
constexpr int kMemoryItems = 5;
constexpr int kMemoryRebuilds = 20000;

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Records what the grid's viewport paints.
class PaintRecorder : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++iPaints;
            const QRect r = static_cast<QPaintEvent *>(event)->rect();
            areas.push_back(r.width() * r.height());
        }
        return false;
    }
    int iPaints = 0;
    std::vector<int> areas;
};

void AddItems(DownloadListStore &store, int iItems)
{
    for (int i = 0; i < iItems; ++i) {
        QString sStatus = QStringLiteral("Waiting");
        QString sSize = QStringLiteral("3.2 MB");
        store.AddDownloadItem(
            QStringLiteral("http://www.youtube.com/watch?v=%1").arg(i, 8, 10, QLatin1Char('0')),
            QStringLiteral("video %1.flv").arg(i), sStatus, sSize);
    }
}

void PrintGridHoldings(const char *sWhen, const DownloadGrid *grid)
{
    std::printf("  %-34s %6lld selection models, %6lld objects under the grid; "
                "resident %lld KiB, peak %lld KiB\n",
                sWhen,
                static_cast<long long>(grid->findChildren<QItemSelectionModel *>().size()),
                static_cast<long long>(grid->findChildren<QObject *>().size()),
                static_cast<long long>(ResidentMemoryKiB()),
                static_cast<long long>(PeakMemoryKiB()));
}

// The rebuilds of a run come one after another without the event loop
// turning in between, so nothing the grid lets go of through deleteLater is
// freed before the run ends.
void MeasureRebuildMemory()
{
    frmMain window;
    window.show();
    auto *grid = window.findChild<DownloadGrid *>(QStringLiteral("DownloadGrid"));
    DownloadListStore &store = window.Session().ListStore();
    AddItems(store, kMemoryItems);
    store.FillDownloadList();
    QCoreApplication::processEvents();

    std::printf("%d rebuilds of a list of %d items\n", kMemoryRebuilds, kMemoryItems);
    PrintGridHoldings("before", grid);
    for (int i = 0; i < kMemoryRebuilds; ++i)
        store.FillDownloadList();
    PrintGridHoldings("after", grid);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PrintGridHoldings("once deferred deletes have run", grid);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    frmMain window;
    window.show();
    auto *grid = window.findChild<DownloadGrid *>(QStringLiteral("DownloadGrid"));
    DownloadListStore &store = window.Session().ListStore();
    AddItems(store, kItems);
    store.FillDownloadList();
    QCoreApplication::processEvents();

    std::vector<double> rebuildWall, rebuildCpu, repaintAfter;
    for (int i = 0; i < kRebuilds; ++i) {
        QElapsedTimer timer;
        const double dCpu = ThreadCpuMs();
        timer.start();
        store.FillDownloadList();
        rebuildWall.push_back(timer.nsecsElapsed() / 1e6);
        rebuildCpu.push_back(ThreadCpuMs() - dCpu);
        const double dPaint = ThreadCpuMs();
        QCoreApplication::processEvents();
        repaintAfter.push_back(ThreadCpuMs() - dPaint);
    }

    // A transfer in progress on the third row.
    RunState &run = window.Session().Run();
    run.SetCurrentItem(2);
    QCoreApplication::processEvents();
    PaintRecorder recorder;
    grid->viewport()->installEventFilter(&recorder);
    std::vector<double> updateCpu;
    for (int i = 0; i < kUpdates; ++i) {
        const double dCpu = ThreadCpuMs();
        run.rowCurrent().SetCellValue(DownloadViewModel::colStatus, QString::number(i % 101));
        QCoreApplication::processEvents();
        updateCpu.push_back(ThreadCpuMs() - dCpu);
    }
    const int iUpdatePaints = recorder.iPaints;
    const int iCellArea = [&] {
        const QRect r = grid->visualRect(grid->model()->index(2, DownloadViewModel::colStatus));
        return r.width() * r.height();
    }();
    const auto iLargerThanCell = std::count_if(recorder.areas.begin(), recorder.areas.end(),
                                               [&](int a) { return a > iCellArea; });
    if (recorder.areas.empty()) {
        std::fprintf(stderr, "the progress updates painted nothing\n");
        return 1;
    }
    const int iLargestArea = *std::max_element(recorder.areas.begin(), recorder.areas.end());
    const QRect cell = grid->visualRect(grid->model()->index(2, DownloadViewModel::colStatus));

    std::vector<double> fullCpu;
    for (int i = 0; i < 101; ++i) {
        const double dCpu = ThreadCpuMs();
        grid->viewport()->repaint();
        fullCpu.push_back(ThreadCpuMs() - dCpu);
    }

    const double dUpdateMs = Median(updateCpu);
    const double dFullMs = Median(fullCpu);
    std::printf("items                                 %d\n", kItems);
    std::printf("rebuild bound to the grid             %.3f ms wall, %.3f ms cpu (median of %d; "
                "target < 2 ms)\n",
                Median(rebuildWall), Median(rebuildCpu), kRebuilds);
    std::printf("  repaint after a rebuild             %.3f ms cpu\n", Median(repaintAfter));
    std::printf("progress update, cell write + paint   %.4f ms cpu (median of %d)\n", dUpdateMs,
                kUpdates);
    std::printf("  at %d updates a second              %.2f %% of a core (target < 5 %%)\n",
                kUpdatesPerSecond, dUpdateMs * kUpdatesPerSecond / 10.0);
    std::printf("  paints %d for %d updates, %lld larger than the cell; largest painted area "
                "%d px, the cell is %dx%d = %d px\n",
                iUpdatePaints, kUpdates, static_cast<long long>(iLargerThanCell), iLargestArea,
                cell.width(), cell.height(), cell.width() * cell.height());
    std::printf("whole visible grid repainted          %.4f ms cpu (%.2f %% of a core at %d a "
                "second)\n",
                dFullMs, dFullMs * kUpdatesPerSecond / 10.0, kUpdatesPerSecond);
    MeasureRebuildMemory();
    return 0;
}
