#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

// Milliseconds from the performance counter.
inline double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median time of work, each run after a setup that is not timed.
template <typename Setup, typename Work>
double MedianMs(int runs, Setup setup, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup();
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Work>
double MedianMs(int runs, Work work)
{
    return MedianMs(runs, [] {}, work);
}
