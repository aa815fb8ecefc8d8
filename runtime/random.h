// The program's one source of random numbers.
#pragma once

#include <cstdint>

// The next draw of the 15-bit generator as r / 32768: a value in
// [0, 32767/32768], never 1. Every call advances the generator by one draw.
double randomFraction();

// The next raw 15-bit result (0 to 32767) of the same generator.
std::int32_t nextRandom15();

// Puts the generator back to its starting state. The demo never calls this;
// tools and tests that rebuild the demonstration scene in one process do.
void restartRandom();
