// The display: frames shown full screen, keys from its window.
#pragma once

#include <cstdint>

// Opens the full-screen display for frames of width x height. Returns 1 on
// success, 0 when no display can be opened.
std::int32_t openDisplay(const char* title, std::int32_t width, std::int32_t height);

// Shows a frame of width x height cells (0x00RRGGBB, row by row). Returns 1
// when the frame was handed to the display or skipped because the display is
// inactive, 0 when the back buffer could not be locked.
std::int32_t presentFrame(const std::uint32_t* cells);

// Handles the window's pending events and tells whether the next frame
// would be shown: 1 if so; 0, after sleeping 1 ms as presentFrame does for a
// frame it skips, while the window cannot be seen (minimised, hidden or
// without the focus). The frame loop draws no frames that nobody sees.
std::int32_t pollDisplay();

// Releases whatever openDisplay created; safe after a partial open.
void closeDisplay();
