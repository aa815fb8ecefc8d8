// The clock that paces the fixed update steps.
#include "runtime/clock.h"

#include <cstdint>
#include <ctime>
#include <sys/time.h>

namespace {

enum class ClockMode { undetermined, counter, ticks };

ClockMode mode = ClockMode::undetermined;

// Whole milliseconds as an unsigned 32-bit count that wraps after 2^32 ms:
// the coarse fallback used only when the monotonic clock is missing.
std::uint32_t tickCount()
{
    timeval now{};
    gettimeofday(&now, nullptr);
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u
                       + static_cast<std::uint64_t>(now.tv_usec) / 1000u;
    return static_cast<std::uint32_t>(ms);
}

} // namespace

double timerSeconds()
{
    timespec now{};
    if (mode == ClockMode::undetermined)
        mode = clock_gettime(CLOCK_MONOTONIC, &now) == 0 ? ClockMode::counter : ClockMode::ticks;

    if (mode == ClockMode::ticks)
        return tickCount() * 0.001;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
