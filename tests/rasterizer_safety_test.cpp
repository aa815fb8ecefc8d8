// The rasterizer on hostile corners: nothing written outside the buffers,
// nothing read outside the level. Run under the sanitizers, an access past
// any array below stops the test: every buffer here is a whole number of
// 64-byte blocks, so its allocation ends where its cells do.
#include "render/rasterizer.h"

#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// Each triangle is also drawn in shares of rows, one share after another,
// into a twin of its frame: the shares, whatever their runs and number,
// must add up to the whole triangle.
TEST(RasterizerSafety, HostileTrianglesStayInsideBuffersAndLevels)
{
    Frame frames[] = {{24, 16}, {16, 1}, {1, 16}};
    Frame twins[] = {{24, 16}, {16, 1}, {1, 16}};
    TexelChain textures[] = {{1, 1}, {2, 8}, {64, 16}, {256, 1}};

    HostileReals r;
    std::int64_t trianglesDrawn = 0;
    for (int i = 0; i < 100000; ++i) {
        const int which = i % 8 == 0 ? 1 + i / 8 % 2 : 0;
        Frame& f = frames[which];
        Frame& twin = twins[which];
        Texture& level = textures[r.below(4)].top();
        float w = static_cast<float>(f.colour->width), h = static_cast<float>(f.colour->height);
        std::array<ScreenCorner, 3> c;
        for (ScreenCorner& k : c) {
            k.x = r.next(-2 * w, 3 * w);
            k.y = r.next(-2 * h, 3 * h);
            k.invZ = r.next(0.0f, 4.0f);
            k.uOverZ = r.next(-1000, 1000);
            k.vOverZ = r.next(-1000, 1000);
            k.shadeOverZ = r.next(-300, 300);
        }
        if (r.below(8) == 0) // a corner repeated, or all three on one row
            c[r.below(3)] = c[r.below(3)];
        if (r.below(8) == 0)
            c[0].y = c[1].y = c[2].y;
        if (i % 4 == 0) {
            clearFrame(*f.colour);
            clearFrame(*twin.colour);
        }

        std::int64_t drawn = rasterizeTriangle(c, level, *f.colour);
        ASSERT_GE(drawn, 0);
        // At most twice each pixel: a half's last row may be the other's first.
        ASSERT_LE(drawn, 2 * static_cast<std::int64_t>(w * h)) << i;
        trianglesDrawn += drawn > 0;

        PreparedTriangle triangle;
        std::int64_t drawnInShares = 0;
        if (setUpTriangle(c, level, *twin.colour, triangle)) {
            const std::int32_t count = 1 + i % 5, run = 1 + i / 5 % 3;
            for (std::int32_t share = 0; share < count; ++share)
                drawnInShares += drawTriangle(triangle, *twin.colour, {share, count, run});
        }
        ASSERT_EQ(drawnInShares, drawn) << i;
        ASSERT_EQ(twin.colourCells(), f.colourCells()) << i;
        ASSERT_EQ(twin.depthCells(), f.depthCells()) << i;
    }
    EXPECT_GT(trianglesDrawn, 10000); // the test reaches the pixel loop, not only the rejections
}

// Buffers or levels that break the rasterizer's assumptions draw nothing:
// a colour buffer without a depth buffer of its size, a level whose sides
// are not powers of two or whose row shift does not match its width.
TEST(RasterizerSafety, UnusableBuffersAndLevelsDrawNothing)
{
    const std::array<ScreenCorner, 3> c{corner(0, 0), corner(15, 0), corner(0, 15)};
    TexelChain good(4, 4);
    Frame f(16, 16);
    ASSERT_GT(rasterizeTriangle(c, good.top(), *f.colour), 0);

    auto lone = createPixelBuffer(16, 16, nullptr);
    EXPECT_EQ(rasterizeTriangle(c, good.top(), *lone), 0);
    auto smallDepth = createPixelBuffer(8, 16, nullptr);
    auto mismatched = createPixelBuffer(16, 16, smallDepth.get());
    EXPECT_EQ(rasterizeTriangle(c, good.top(), *mismatched), 0);

    std::vector<std::uint32_t> texels(9, 0x00FFFFFF);
    const Texture bad[] = {
        levelOver(texels.data(), 3, 3, 2),  // widthLog2 = round(log2 3), masks would reach texel 10
        levelOver(texels.data(), 4, 2, 1),  // shift does not match the width
        levelOver(texels.data(), 2, 3, 1),  // height not a power of two
        levelOver(texels.data(), 2, 2, -1), // a shift that would be undefined
        levelOver(nullptr, 2, 2, 1),
    };
    for (const Texture& level : bad) {
        Frame g(16, 16);
        EXPECT_EQ(rasterizeTriangle(c, level, *g.colour), 0);
        EXPECT_EQ(g.drawnCount(), 0);
    }
}

} // namespace
