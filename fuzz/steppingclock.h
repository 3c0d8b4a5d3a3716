#pragma once

// A clock that runs out at once, so that a slow yield search ends at its
// first look at the time instead of spending the real budget.

#include "model/clock.h"

namespace tenvix::fuzz {

class SteppingClock final : public Clock {
public:
    std::int64_t Milliseconds() const override { return m_nMs += 1000; }
    double Now() const override { return 46362.0; }

private:
    mutable std::int64_t m_nMs = 0;
};

} // namespace tenvix::fuzz
