// The program's one source of random numbers.
#include "runtime/random.h"

namespace {

// A 32-bit linear congruential generator that starts from the same state on
// every run, so the demonstration scene is the same on every machine.
constexpr std::uint32_t kStartState = 1;
constexpr std::uint32_t kMultiplier = 214013;
constexpr std::uint32_t kIncrement = 2531011;

std::uint32_t state = kStartState;

} // namespace

std::int32_t nextRandom15()
{
    state = state * kMultiplier + kIncrement;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFF);
}

double randomFraction()
{
    return nextRandom15() / 32768.0;
}

void restartRandom()
{
    state = kStartState;
}
