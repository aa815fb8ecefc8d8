// The clock that paces the fixed update steps.
#pragma once

// Seconds on a monotonic clock. Only differences and comparisons between
// readings mean anything; the origin is the system's, not the program's.
double timerSeconds();
