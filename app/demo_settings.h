// The demonstration's frame size, title, pacing and number of drawing threads.
#pragma once

#include <cstdint>
#include <thread>

constexpr std::int32_t kFrameWidth = 640;
constexpr std::int32_t kFrameHeight = 480;
constexpr const char* kDisplayTitle = "Tessik";
constexpr double kUpdateStep = 0.01667; // seconds between update steps, about 60 a second

// The threads that draw and clear each frame: one per core (one when the
// number of cores is unknown).
inline int demoThreadCount()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
}
