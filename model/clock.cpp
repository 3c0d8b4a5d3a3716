#include "model/clock.h"

#include "model/date.h"

#include <chrono>
#include <ctime>

namespace tenvix {
namespace {

class RealClock final : public Clock {
public:
    std::int64_t Milliseconds() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    double Now() const override
    {
        using namespace std::chrono;
        const auto now = system_clock::now();
        const std::time_t secs = system_clock::to_time_t(now);
        std::tm local{};
        localtime_r(&secs, &local);
        const double day = MakeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).value_or(0.0);
        const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
        return day + seconds / 86400.0;
    }
};

} // namespace

const Clock& SystemClock()
{
    static const RealClock clock;
    return clock;
}

} // namespace tenvix
