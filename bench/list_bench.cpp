// Times the download list: 10,000 adds one at a time (each rebuilds the view)
// and single rebuilds of a 10,000-item list, headless and bound to the real
// grid widget. The reference is a plain copy of the same items into the view's
// records without any event passes, measured in the same run.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/doevents.h"
#include "core/imessagebox.h"
#include "gui/downloadgrid.h"
#include "list/downloadlistfile.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "mediantime.h"

namespace {

constexpr int kItems = 10000;
constexpr int kRepeats = 15;

class SilentMessageBox : public IMessageBox
{
public:
    Answer MsgBox(Icon, const QString &, const QString &sText, Buttons) override
    {
        std::fprintf(stderr, "message box: %s\n", qPrintable(sText));
        return Answer::No;
    }
};

template <typename F>
double MedianMs(F &&f)
{
    return bench::MedianMs(kRepeats, f);
}

QString Address(int i)
{
    return QStringLiteral("http://www.youtube.com/watch?v=%1").arg(i, 8, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentMessageBox messages;

    HeadlessDownloadGrid headless;
    DownloadListStore store(headless, messages);
    RunState run(headless, store);
    UrlAdder adder(store, run);

    const unsigned long long llPassesBefore = DoEventsGate::PassCount();
    QElapsedTimer addTimer;
    addTimer.start();
    for (int i = 0; i < kItems; ++i)
        adder.AddURL(Address(i));
    const double dAddsS = addTimer.nsecsElapsed() / 1e9;
    const unsigned long long llPasses = DoEventsGate::PassCount() - llPassesBefore;

    const double dReferenceMs = MedianMs([&] {
        DownloadViewModel copy;
        copy.Reserve(kItems);
        for (const DownloadItem &item : std::as_const(store.Items()))
            copy.AddNew(item);
    });
    const double dHeadlessMs = MedianMs([&] { store.FillDownloadList(); });

    DownloadGrid grid;
    grid.resize(620, 400);
    grid.show();
    DownloadListStore shown(grid, messages);
    for (const DownloadItem &item : std::as_const(store.Items())) {
        QString sStatus = item.Status;
        QString sFileSize = item.FileSize;
        shown.AddDownloadItem(item.Video_URL, item.FileName, sStatus, sFileSize);
    }
    const double dGridMs = MedianMs([&] { shown.FillDownloadList(); });

    // The list kept across starts: one whole write, and the read at start-up.
    QTemporaryDir keptDir;
    const DownloadListFile keptFile(keptDir.filePath(QStringLiteral("downloadlist.json")));
    // The window's thread only makes the text; the write waits for the disk
    // on a thread of its own.
    const double dSerialiseMs = MedianMs([&] { DownloadListFile::Serialise(store.Items()); });
    const double dSaveMs = MedianMs([&] { keptFile.Write(DownloadListFile::Serialise(store.Items())); });
    const double dLoadMs = MedianMs([&] {
        DownloadListStore restored(headless, messages);
        restored.RestoreItems(keptFile.Load().items);
    });

    std::printf("items                          %d\n", kItems);
    std::printf("10,000 adds, each rebuilding   %.2f s   (target < 10 s; %llu event passes)\n",
                dAddsS, llPasses);
    std::printf("reference copy of 10,000 items %.3f ms\n", dReferenceMs);
    std::printf("rebuild, headless              %.3f ms  (target < 5 ms; %.2f x reference)\n",
                dHeadlessMs, dHeadlessMs / dReferenceMs);
    std::printf("rebuild, bound to the grid     %.3f ms  (%.2f x reference)\n", dGridMs,
                dGridMs / dReferenceMs);
    std::printf("kept list, text for a save     %.3f ms  (target < 50 ms; %.2f x reference)\n",
                dSerialiseMs, dSerialiseMs / dReferenceMs);
    std::printf("kept list, whole save to disk  %.3f ms  (%.2f x reference)\n", dSaveMs,
                dSaveMs / dReferenceMs);
    std::printf("restore of the kept list       %.3f ms  (%.2f x reference)\n", dLoadMs,
                dLoadMs / dReferenceMs);
    return 0;
}
