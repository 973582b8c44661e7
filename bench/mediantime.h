#pragma once

// The median wall time of a few runs of one piece of work, for the
// benchmarks that time work inside their own process.

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs f iRepeats times; the median of its wall times in milliseconds.
template <typename F>
double MedianMs(int iRepeats, F &&f)
{
    std::vector<double> samples;
    for (int i = 0; i < iRepeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    return Median(samples);
}

} // namespace bench
