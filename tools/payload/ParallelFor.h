// Runs an indexed piece of work on a few threads. Each index is taken by exactly one
// thread; what a piece produces goes into the caller's slot for that index, so the
// result does not depend on which thread ran it or when.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

template <typename Work>
void ParallelFor(size_t nCount, unsigned nJobs, Work work)
{
    size_t nThreads = std::min<size_t>(std::max(nJobs, 1u), nCount);
    if (nThreads <= 1) {
        for (size_t i = 0; i < nCount; ++i)
            work(i);
        return;
    }
    std::atomic<size_t> next{0};
    auto drain = [&]() {
        for (size_t i = next++; i < nCount; i = next++)
            work(i);
    };
    std::vector<std::thread> threads;
    threads.reserve(nThreads - 1);
    for (size_t t = 1; t < nThreads; ++t)
        threads.emplace_back(drain);
    drain();
    for (std::thread& thread : threads)
        thread.join();
}

// The number of jobs when none is asked for: one per processor.
inline unsigned DefaultJobCount()
{
    unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}
