#pragma once

// Jobs numbered 0 to count - 1, each run once, on up to `threads` threads
// (the calling one among them), in whatever order the threads take them: for
// work whose results go to their own places, so that the outcome is the same
// on any number of threads. RunEachOn also tells each job which of the
// threads (0 to threads - 1) runs it, for scratch kept a thread.

#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace tenvix::curve {

template <class Job>
void RunEachOn(std::size_t count, int threads, Job&& job)
{
    std::atomic<std::size_t> next{0};
    auto work = [&](int worker) {
        for (std::size_t i; (i = next.fetch_add(1)) < count;)
            job(i, worker);
    };
    std::vector<std::jthread> helpers;
    for (int t = 1; t < threads && static_cast<std::size_t>(t) < count; ++t) {
        // A thread the system refuses is one helper less.
        try {
            helpers.emplace_back(work, t);
        } catch (const std::system_error&) {
            break;
        }
    }
    work(0);
}

template <class Job>
void RunEach(std::size_t count, int threads, Job&& job)
{
    RunEachOn(count, threads, [&job](std::size_t i, int) { job(i); });
}

} // namespace tenvix::curve
