// Measures what presenting one 640 x 480 frame costs on the current display:
// the median time of presentFrame over a run of frames, and the SDL renderer
// and back-buffer format it went through.
#include "display/display_internal.h"

#include "runtime/clock.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kWarmUpFrames = 30; // the window gets its focus in the first ones
constexpr int kFrames = 400;

} // namespace

int main()
{
    if (openDisplay("Tessik", kWidth, kHeight) == 0) {
        std::fprintf(stderr, "present_cost: no display\n");
        return 1;
    }
    std::vector<std::uint32_t> cells(kWidth * kHeight);
    std::vector<double> times;
    times.reserve(kFrames);
    for (int frame = 0; frame < kWarmUpFrames + kFrames; ++frame) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            cells[i] = static_cast<std::uint32_t>(i * 2654435761u + frame) & 0xFFFFFF;
        double start = timerSeconds();
        presentFrame(cells.data());
        double elapsed = timerSeconds() - start;
        if (frame >= kWarmUpFrames && displayState().appActive)
            times.push_back(elapsed);
    }
    std::printf("renderer %s, back buffer %s, %zu frames presented\n", displayRendererName(),
                SDL_GetPixelFormatName(displayState().format), times.size());
    closeDisplay();
    if (times.empty())
        return 1;
    std::sort(times.begin(), times.end());
    std::printf("presentFrame: median %.3f ms, fastest %.3f ms, slowest %.3f ms\n",
                times[times.size() / 2] * 1e3, times.front() * 1e3, times.back() * 1e3);
    return 0;
}
