// Recorded fingerprints of demonstration frames: any change that alters a
// pixel of them shows here. A change of a recorded hash needs its reason in
// the commit message.
#include "app/animation.h"
#include "app/demo_settings.h"
#include "render/pixel_buffer.h"
#include "render/render_pass.h"
#include "render/render_stats.h"
#include "runtime/random.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"
#include "tools/frame_hash.h"

#include <gtest/gtest.h>

#include <ios>
#include <string>

namespace {

// The frames that tessik-bench --stats STEP describes: the scene just built,
// a new camera, STEP update steps, one render pass into clear buffers.
TEST(DemoFrames, FramesAtRecordedStepsKeepTheirHashes)
{
    struct Recorded {
        int step;
        std::int64_t objectsVisible, facesRasterized, pixelsDrawn;
        std::uint64_t hash;
    };
    const Recorded recorded[] = {
        {0, 113, 656, 167553, 0xec62f0b8ecc9260f},
        {225, 35, 196, 140675, 0xc0a5a4835af943cd},
        {450, 75, 434, 191902, 0x68e718c0c8f1d7a3},
        {675, 203, 1198, 246996, 0x8ba71b8f31202573},
    };

    restartRandom();
    auto scene = buildDemoScene();
    auto camera = createCamera();
    auto depth = createPixelBuffer(kFrameWidth, kFrameHeight, nullptr);
    auto colour = createPixelBuffer(kFrameWidth, kFrameHeight, depth.get());
    int step = 0;
    for (const Recorded& r : recorded) {
        for (; step < r.step; ++step)
            advanceAnimation(*scene, *camera);
        RenderStats stats;
        renderScene(*scene, *camera, *colour, &stats);
        SCOPED_TRACE("step " + std::to_string(r.step));
        EXPECT_EQ(stats.objectsVisible, r.objectsVisible);
        EXPECT_EQ(stats.facesRasterized, r.facesRasterized);
        EXPECT_EQ(stats.pixelsDrawn, r.pixelsDrawn);
        std::uint64_t hash = frameHash(*colour);
        EXPECT_EQ(hash, r.hash) << "hash: " << std::hex << hash;
        clearFrame(*colour);
    }
}

} // namespace
