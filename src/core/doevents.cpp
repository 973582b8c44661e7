#include "core/doevents.h"

#include <QCoreApplication>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Calls between two clock reads: cheap enough that a rebuild of 10,000 rows
// reads the clock only a few thousand times.
constexpr int kCallsPerClockRead = 16;

Clock::duration g_passInterval = std::chrono::milliseconds(1);
Clock::time_point g_lastPass;
unsigned long long g_llPassCount = 0;

} // namespace

void DoEventsGate::PassIfDue()
{
    s_iCountdown = kCallsPerClockRead;
    if (Clock::now() - g_lastPass < g_passInterval)
        return;
    PassNow();
}

void DoEventsGate::PassNow()
{
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ++g_llPassCount;
    // Stamp after the pass: the handlers run inside it may take a while, and
    // the interval is meant to be free time for the caller.
    g_lastPass = Clock::now();
}

void DoEventsGate::SetPassIntervalMicroseconds(long lMicroseconds)
{
    g_passInterval = std::chrono::microseconds(lMicroseconds);
}

unsigned long long DoEventsGate::PassCount()
{
    return g_llPassCount;
}
