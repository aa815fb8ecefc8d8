// Opens the demo's display as the demo does, shows the demo's first frame
// once and keeps it on the screen until a line arrives on standard input.
// Prints the back buffer's pixel format once the frame is shown, so that a
// test can capture the screen and compare it with the frame.
#include "display/display_internal.h"
#include "render/pixel_buffer.h"
#include "render/render_pass.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"

#include <cstdio>

int main()
{
    auto depth = createPixelBuffer(640, 480, nullptr);
    auto colour = createPixelBuffer(640, 480, depth.get());
    if (openDisplay("Tessik", 640, 480) == 0) {
        std::fprintf(stderr, "show_first_frame: no display\n");
        return 1;
    }
    auto scene = buildDemoScene();
    auto camera = createCamera();
    renderScene(*scene, *camera, *colour);
    presentFrame(colour->cells);
    std::printf("shown %s\n", SDL_GetPixelFormatName(displayState().format));
    std::fflush(stdout);
    char line[16];
    while (std::fgets(line, sizeof line, stdin) == nullptr && !std::feof(stdin))
        ;
    closeDisplay();
    return 0;
}
