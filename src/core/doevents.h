#pragma once

// Lets pending events be processed from inside a long synchronous operation
// (a list rebuild, a transfer, a page fetch), so that the window stays alive
// and the user's commands run nested inside the operation.
//
// Hot loops call this several times per 2048-byte block, so a call must cost
// next to nothing. Most calls only count down; every few calls the clock is
// read, and the event loop is entered only when a pass interval has gone by
// since the last real pass. Events therefore still flow within a millisecond
// or so, while the redundant passes are skipped.
class DoEventsGate
{
public:
    static void Pass()
    {
        if (--s_iCountdown > 0)
            return;
        PassIfDue();
    }

    // Enters the event loop now, whatever the interval (used where a caller
    // must see events that have just been posted).
    static void PassNow();

    // How long a pass may be skipped; 1 ms unless changed (tests, benchmarks).
    static void SetPassIntervalMicroseconds(long lMicroseconds);

    // Number of real event-loop passes so far (benchmarks report it).
    static unsigned long long PassCount();

private:
    static void PassIfDue();

    static inline int s_iCountdown = 1;
};

inline void DoEvents()
{
    DoEventsGate::Pass();
}
