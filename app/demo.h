// The demonstration: start-up and the fixed-step frame loop.
#pragma once

#include "app/demo_settings.h"
#include "render/pixel_buffer.h"

#include <cstdint>
#include <functional>
#include <string>

// What the frame loop drives. runDemo() passes the real services; tests pass
// fakes to watch the loop's order of calls.
struct DemoServices {
    std::function<double()> clock;
    std::function<std::int32_t(const char* title, std::int32_t width, std::int32_t height)> openDisplay;
    std::function<std::int32_t(const PixelBuffer& colour)> presentBuffer;
    // 0 while the display would not show a frame, after waiting a moment.
    std::function<std::int32_t()> pollDisplay = [] { return 1; };
    std::function<void()> closeDisplay;
    std::function<std::string()> readKey;
    std::function<void(std::int32_t status)> endProgram; // does not return in the real program
    std::function<void()> buildWorld;                    // the scene and the camera
    std::function<void()> updateStep;                    // one fixed update step of the animation
    std::function<void(PixelBuffer& colour)> drawFrame;  // one frame of the scene
    // Zeroes both buffers after a frame is presented.
    std::function<void(PixelBuffer& colour)> clearFrame = [](PixelBuffer& colour) { ::clearFrame(colour); };
};

// Creates the buffers, opens the display (ending the program with -1 when it
// cannot), builds the scene and camera, then runs update steps on the clock
// and draws frames between them until Esc is read; while the display shows
// no frames, the loop waits in pollDisplay instead of drawing. Returns after
// Esc, with the display closed. runDemo() draws and clears every frame with one
// thread per core; update steps, the frame loop and the display stay on the
// calling thread.
void runDemo();
void runDemo(const DemoServices& services);

// Hands a colour buffer of the display's size to presentFrame.
std::int32_t presentBuffer(const PixelBuffer& colour);
