#pragma once

#include <cstdint>

namespace tenvix {

// The one source of time for the core: the solvers read milliseconds from it to
// keep their budgets, and new records take today's date from it. Tests install
// a clock they can move by hand, so time-outs are deterministic.
class Clock {
public:
    virtual ~Clock() = default;
    // A monotonic millisecond tick; only differences are meaningful.
    virtual std::int64_t Milliseconds() const = 0;
    // The current local date and time as a date value (days since 30 December 1899).
    virtual double Now() const = 0;
};

// The real clock: steady milliseconds and the local wall-clock date.
const Clock& SystemClock();

} // namespace tenvix
