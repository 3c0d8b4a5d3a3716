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

// Tells a long loop when at least `intervalMs` milliseconds have passed since
// it last let events through, so that it keeps its window alive without
// paying for that on every step.
class ThrottledPump {
public:
    ThrottledPump(const Clock& clock, std::int64_t intervalMs)
        : m_clock(clock), m_nInterval(intervalMs), m_nLast(clock.Milliseconds())
    {
    }
    // From now on the pump is due every `intervalMs` milliseconds.
    void SetInterval(std::int64_t intervalMs) { m_nInterval = intervalMs; }
    // True when the pump is due now; it then counts as having run.
    bool Due()
    {
        const std::int64_t now = m_clock.Milliseconds();
        if (now - m_nLast < m_nInterval)
            return false;
        m_nLast = now;
        return true;
    }

private:
    const Clock& m_clock;
    std::int64_t m_nInterval;
    std::int64_t m_nLast;
};

} // namespace tenvix
