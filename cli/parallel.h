#pragma once

// Work split into numbered units, made on several threads and delivered in
// unit order: so a command over a large database uses every core and still
// writes its rows in list order.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tenvix::cli {

// The processors this process may run on, at least 1.
int AvailableThreads();

// Calls work(u, result) for every unit u in [0, count) on up to `threads`
// threads, the calling one among them, and deliver(u, result) on the calling
// thread in the order 0, 1, 2, ... At most `window` units are being made or
// waiting to be delivered at any time, so a slow consumer holds the workers
// back instead of letting results pile up; a slot's Result is reused for the
// unit `window` places later. With one thread everything runs in order on the
// calling thread. An exception ends the run as it would end a run on one
// thread: the units before the one that failed are delivered, no unit starts
// after the failure is seen, and the exception of the first failed unit (or
// of the delivery) is rethrown here once the running units are done.
template <class Result>
void RunInOrder(std::size_t count, int threads, std::size_t window,
                const std::function<void(std::size_t, Result&)>& work,
                const std::function<void(std::size_t, Result&)>& deliver)
{
    if (window < 1)
        window = 1;
    struct Slot {
        Result result{};
        std::exception_ptr error;
        bool ready = false;
    };
    std::vector<Slot> slots(window);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextToMake = 0;
    std::size_t nextToDeliver = 0;
    bool stopped = false; // a unit or a delivery failed: start nothing more

    // Under the lock: the next unit to make, if one may start now.
    auto claim = [&]() -> std::ptrdiff_t {
        if (stopped || nextToMake >= count || nextToMake >= nextToDeliver + window)
            return -1;
        return static_cast<std::ptrdiff_t>(nextToMake++);
    };
    // Makes unit u with the lock released, and takes the lock back.
    auto make = [&](std::unique_lock<std::mutex>& lock, std::size_t u) {
        Slot& slot = slots[u % window];
        lock.unlock();
        std::exception_ptr error;
        try {
            work(u, slot.result);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        slot.error = error;
        stopped = stopped || error;
        slot.ready = true;
        changed.notify_all();
    };

    auto help = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            const std::ptrdiff_t u = claim();
            if (u >= 0) {
                make(lock, static_cast<std::size_t>(u));
                continue;
            }
            if (stopped || nextToMake >= count)
                return;
            changed.wait(lock);
        }
    };
    std::vector<std::jthread> workers;
    const std::size_t extra = threads > 1 ? std::min<std::size_t>(static_cast<std::size_t>(threads) - 1, count) : 0;
    for (std::size_t i = 0; i < extra; ++i) {
        // A thread the system refuses is one helper less, not a failure.
        try {
            workers.emplace_back(help);
        } catch (const std::system_error&) {
            break;
        }
    }

    // Every unit before a failed one has been claimed, so the loop always
    // reaches the failure.
    std::exception_ptr failure;
    std::unique_lock lock(mutex);
    while (nextToDeliver < count) {
        Slot& slot = slots[nextToDeliver % window];
        if (!slot.ready) {
            // Help rather than wait: with one thread this is the whole run.
            const std::ptrdiff_t u = claim();
            if (u >= 0)
                make(lock, static_cast<std::size_t>(u));
            else
                changed.wait(lock);
            continue;
        }
        if (slot.error) {
            failure = slot.error;
            break;
        }
        lock.unlock();
        try {
            deliver(nextToDeliver, slot.result);
        } catch (...) {
            lock.lock();
            failure = std::current_exception();
            stopped = true;
            break;
        }
        lock.lock();
        slot.ready = false;
        ++nextToDeliver;
        changed.notify_all();
    }
    // Workers waiting for room see the failure or the end and leave.
    changed.notify_all();
    lock.unlock();
    workers.clear();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tenvix::cli
