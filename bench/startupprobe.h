#pragma once

// What the start-up benchmark's child processes report to it: the moment
// their window first showed, their CPU time until then, and their resident
// memory after resting. Shared by the skinned and the bare window.

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace startupprobe {

constexpr int kRestMs = 500;

inline qint64 MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

inline long ResidentKiB()
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
// Both children call it through a zero timer from the paint event that drew
// their first frame, so it runs once that frame has gone out.
inline void Shown()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::printf("shown %lld\ncpu %lld\n", static_cast<long long>(MonotonicNs()),
                static_cast<long long>(cpu.tv_sec) * 1000000000 + cpu.tv_nsec);
    std::fflush(stdout);
    QTimer::singleShot(kRestMs, [] {
        std::printf("rss %ld\n", ResidentKiB());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

} // namespace startupprobe
