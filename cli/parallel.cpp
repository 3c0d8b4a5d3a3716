#include "cli/parallel.h"

#include <sched.h>

namespace tenvix::cli {

int AvailableThreads()
{
    // The affinity mask, not the machine: a container or taskset may allow
    // fewer processors than the machine has.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? static_cast<int>(n) : 1;
}

} // namespace tenvix::cli
