// The demonstration: start-up and the fixed-step frame loop.
#include "app/demo.h"

#include "app/animation.h"
#include "display/display.h"
#include "render/pixel_buffer.h"
#include "render/render_pass.h"
#include "runtime/clock.h"
#include "runtime/keys.h"
#include "runtime/program.h"
#include "runtime/thread_team.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"

#include <memory>

void runDemo(const DemoServices& services)
{
    auto depth = createPixelBuffer(kFrameWidth, kFrameHeight, nullptr);
    auto colour = createPixelBuffer(kFrameWidth, kFrameHeight, depth.get());

    if (services.openDisplay(kDisplayTitle, kFrameWidth, kFrameHeight) == 0) {
        services.endProgram(-1);
        return;
    }
    services.buildWorld();

    const std::string quitKey(1, '\x1b');
    // A double, like the clock: a float deadline would stop advancing once
    // the clock reads more than a few days.
    double nextUpdate = services.clock() + kUpdateStep;
    for (;;) {
        double now = services.clock();
        if (now > nextUpdate) {
            // Catching up: steps run back to back, with no frame and no key
            // read between them, until the deadline is ahead of the clock.
            services.updateStep();
            nextUpdate += kUpdateStep;
            continue;
        }

        // A frame that would not be shown is not drawn: minimised or behind
        // other windows, the demo leaves the cores alone, yet keeps time
        // and still reads keys.
        if (services.pollDisplay() != 0) {
            services.drawFrame(*colour);
            services.presentBuffer(*colour);
            services.clearFrame(*colour);
        }

        std::string key = services.readKey();
        if (compareStrings(&key, &quitKey) == 0) {
            services.closeDisplay();
            return;
        }
    }
}

void runDemo()
{
    // One thread per core draws and clears the frames, started once for
    // the whole run. The process may also end inside the display's message
    // pump (window closed) with the team still there: its workers are idle
    // between frames then, and end with the process.
    ThreadTeam team(demoThreadCount());

    DemoServices services;
    services.clock = timerSeconds;
    services.openDisplay = openDisplay;
    services.presentBuffer = presentBuffer;
    services.pollDisplay = pollDisplay;
    services.closeDisplay = closeDisplay;
    services.readKey = [] { return readKey(); };
    services.endProgram = endProgram;

    // The scene and the camera live for the whole run.
    std::unique_ptr<Scene> scene;
    std::unique_ptr<SceneObject> camera;
    services.buildWorld = [&] {
        scene = buildDemoScene();
        camera = createCamera();
    };
    services.updateStep = [&] { advanceAnimation(*scene, *camera); };
    services.drawFrame = [&](PixelBuffer& colour) { renderScene(*scene, *camera, colour, team); };
    services.clearFrame = [&](PixelBuffer& colour) { clearFrame(colour, team); };
    runDemo(services);
}

std::int32_t presentBuffer(const PixelBuffer& colour)
{
    return presentFrame(colour.cells);
}
