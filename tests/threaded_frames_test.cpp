// Demo frames drawn by teams of threads and with every pixel loop: exactly
// the frames of one thread with the scalar loop, depth included.
#include "app/animation.h"
#include "render/pixel_buffer.h"
#include "render/render_pass.h"
#include "render/render_stats.h"
#include "runtime/random.h"
#include "runtime/thread_team.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"
#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

bool sameStats(const RenderStats& a, const RenderStats& b)
{
    return a.objectsVisible == b.objectsVisible && a.facesSetUp == b.facesSetUp &&
           a.facesRasterized == b.facesRasterized && a.pixelsDrawn == b.pixelsDrawn;
}

// The first cell where two arrays differ, or -1.
std::ptrdiff_t firstDifference(const std::vector<std::uint32_t>& expected, const std::uint32_t* cells)
{
    if (std::memcmp(expected.data(), cells, expected.size() * sizeof(std::uint32_t)) == 0)
        return -1;
    std::ptrdiff_t i = 0;
    while (expected[i] == cells[i])
        ++i;
    return i;
}

// Draws the demo at every `every`-th step up to `last` into buffers of the
// given size, first with one thread and the scalar loop, then with teams of
// 1, 2, 3 and 8 threads and each pixel loop the CPU has; every frame must
// match the first in both buffers and in its counts, and every team's clear
// must leave both buffers empty.
void expectTheSameFrames(std::int32_t width, std::int32_t height, int every, int last)
{
    restartRandom();
    auto scene = buildDemoScene();
    auto camera = createCamera();
    Frame frame(width, height);
    const std::vector<std::uint32_t> empty(frame.cells(), 0);

    std::vector<std::unique_ptr<ThreadTeam>> teams;
    for (int size : {1, 2, 3, 8})
        teams.push_back(std::make_unique<ThreadTeam>(size));

    std::int64_t framesCompared = 0;
    for (int step = 0; step <= last; ++step) {
        if (step % every == 0) {
            RenderStats expectedStats;
            {
                UsingSpanPath scalar(scalarSpanPath());
                renderScene(*scene, *camera, *frame.colour, &expectedStats);
            }
            const std::vector<std::uint32_t> colour = frame.colourCells(), depth = frame.depthCells();
            clearFrame(*frame.colour);

            for (const SpanPath* path : availableSpanPaths()) {
                UsingSpanPath using_(*path);
                for (const auto& team : teams) {
                    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + ", step " +
                                 std::to_string(step) + ", " + path->name + ", " +
                                 std::to_string(teamSize(*team)) + " threads");
                    RenderStats stats;
                    renderScene(*scene, *camera, *frame.colour, *team, &stats);
                    ASSERT_TRUE(sameStats(stats, expectedStats));
                    ASSERT_EQ(firstDifference(colour, frame.colour->cells), -1) << "colour cell differs";
                    ASSERT_EQ(firstDifference(depth, frame.depth->cells), -1) << "depth cell differs";
                    clearFrame(*frame.colour, *team);
                    ASSERT_EQ(firstDifference(empty, frame.colour->cells), -1) << "colour left after the clear";
                    ASSERT_EQ(firstDifference(empty, frame.depth->cells), -1) << "depth left after the clear";
                    ++framesCompared;
                }
            }
        }
        advanceAnimation(*scene, *camera);
    }
    EXPECT_GT(framesCompared, 0);
}

// Every 50th step over two turns of the camera (1800 steps).
TEST(ThreadedFrames, DemoFramesAreTheSameForEveryThreadCountAndPixelLoop)
{
    expectTheSameFrames(640, 480, 50, 1800);
}

// Sizes whose rows end inside a vector step, and frames with fewer rows
// than threads, so that some threads own no row at all.
TEST(ThreadedFrames, OddSizesAndThreadsWithoutRows)
{
    for (auto [w, h] : {std::pair{641, 479}, {1, 1}, {3, 2}, {2, 3}, {37, 5}})
        expectTheSameFrames(w, h, 300, 900);
}

} // namespace
