// The triangle rasterizer: rows and spans, depth, texels, wrapping and light.
#include "render/rasterizer.h"

#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Corners = std::array<ScreenCorner, 3>;

// The first and last column drawn in row y, or {-1, -1} when none is.
std::pair<int, int> drawnColumns(const Frame& f, int y)
{
    int first = -1, last = -1;
    for (int x = 0; x < f.colour->width; ++x)
        if (f.drawn(x, y)) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

// The corners in each of their six orders. The order a face lists them in
// must not change which is the top, middle or bottom one, ties included.
std::vector<Corners> everyOrder(const Corners& c)
{
    std::vector<Corners> orders;
    std::array<int, 3> i{0, 1, 2};
    do
        orders.push_back({c[i[0]], c[i[1]], c[i[2]]});
    while (std::next_permutation(i.begin(), i.end()));
    return orders;
}

// Rows: a half's first and last rows come from its corners' y (0.499 above
// the middle corner, 0.5 below it, ties to even); a row is drawn once per
// half that includes it. A row through a corner where both edges meet has
// zero width and shows nothing.
TEST(RasterizerRows, HalvesStartAndEndOnTheirRows)
{
    struct Case {
        float top, middle, bottom;
        int firstRow, lastRow;
        bool middleRowTwice;
    };
    const Case cases[] = {
        {10, 20, 30, 11, 29, true},  // middle on 20: upper ends round(19.501) = 20, lower starts round(20.5) = 20
        {10, 21, 30, 11, 29, false}, // middle on 21: upper ends at 21, lower starts round(21.5) = 22
        {10, 20, 31, 11, 30, true},  // bottom on 31: lower ends round(30.5) = 30
        {10, 21, 31, 11, 30, false},
        {10.5f, 20.5f, 30.5f, 11, 30, false}, // rows 11..20 above the middle corner, 21..30 below
    };
    TexelChain texture(64, 64);
    for (const Case& c : cases) {
        SCOPED_TRACE("middle " + std::to_string(c.middle) + ", bottom " + std::to_string(c.bottom));
        // A vertical long edge at x = 8 and a middle corner to its right
        // placed so that both short edges have slopes with few bits.
        float xm = 8 + (c.middle - c.top) * (c.bottom - c.middle) / 4;
        for (const Corners& order : everyOrder({corner(8, c.top), corner(xm, c.middle), corner(8, c.bottom)})) {
            Frame f(64, 48);
            std::int64_t drawn = rasterizeTriangle(order, texture.top(), *f.colour);
            for (int y = 0; y < 48; ++y)
                EXPECT_EQ(drawnColumns(f, y).first >= 0, y >= c.firstRow && y <= c.lastRow) << "row " << y;
            auto middle = drawnColumns(f, static_cast<int>(c.middle));
            int middleWidth = middle.second - middle.first + 1;
            EXPECT_EQ(drawn - f.drawnCount(), c.middleRowTwice ? middleWidth : 0);
        }
    }
}

// With two corners on the top row there is only a lower half (first row
// round(y + 0.5)); with two on the bottom row only an upper half (last row
// round(y - 0.499)). The long edges run at slopes 1 and -1, so every row's
// span is known.
TEST(RasterizerRows, FlatTopAndFlatBottomTrianglesHaveOneHalf)
{
    struct Case {
        const char* name;
        Corners corners;
        int firstRow, lastRow;
        int apexRow; // the row whose span is the point where the slanted edges meet
    };
    const Case cases[] = {
        {"flat top on 10", {corner(8, 10), corner(40, 10), corner(24, 26)}, 10, 25, 26},
        {"flat top on 11", {corner(8, 11), corner(40, 11), corner(24, 27)}, 12, 26, 27}, // round(11.5) = 12
        {"flat bottom on 26", {corner(24, 10), corner(8, 26), corner(40, 26)}, 11, 26, 10},
        {"flat bottom on 27", {corner(24, 11), corner(8, 27), corner(40, 27)}, 12, 27, 11},
    };
    TexelChain texture(64, 64);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Corners& order : everyOrder(c.corners)) {
            Frame f(64, 48);
            std::int64_t drawn = rasterizeTriangle(order, texture.top(), *f.colour);
            for (int y = 0; y < 48; ++y) {
                int d = std::abs(y - c.apexRow);
                bool inside = y >= c.firstRow && y <= c.lastRow;
                std::pair<int, int> expected = inside ? std::pair{24 - d, 24 + d} : std::pair{-1, -1};
                EXPECT_EQ(drawnColumns(f, y), expected) << "row " << y;
            }
            EXPECT_EQ(drawn, f.drawnCount()); // no row drawn twice
        }
    }
}

// A triangle reaching above row 0 and left of column 0 starts at row 0 and
// column 0 with its values stepped there, so what shows is exactly what the
// same pixels of the whole triangle look like. The corners lie on few bits,
// so stepping row by row and jumping to row 0 give the same edges.
TEST(RasterizerRows, TriangleCutAtTheEdgesIsTexturedLikeTheWholeOne)
{
    auto triangle = [](float dx, float dy) {
        return Corners{corner(-12 + dx, -8 + dy, 2, 0, 0, 256), corner(28 + dx, 8 + dy, 4, 60, 12, 100),
                       corner(4 + dx, 24 + dy, 1, 8, 60, 30)};
    };
    TexelChain texture(64, 64);
    Frame whole(96, 64);
    rasterizeTriangle(triangle(16, 16), texture.top(), *whole.colour);
    Frame cut(48, 32);
    rasterizeTriangle(triangle(0, 0), texture.top(), *cut.colour);

    EXPECT_TRUE(cut.drawn(0, 0));
    int compared = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) {
            ASSERT_EQ(cut.at(x, y), whole.at(x + 16, y + 16)) << x << "," << y;
            ASSERT_EQ(cut.depthAt(x, y), whole.depthAt(x + 16, y + 16)) << x << "," << y;
            compared += cut.drawn(x, y);
        }
    EXPECT_GT(compared, 300);
}

// Texel coordinates wrap around the level through masks: -1 reads the last
// column or row, the width reads column 0. The level is not square, so a
// mix-up of the two masks shows.
TEST(RasterizerTexels, CoordinatesWrapAroundTheLevel)
{
    struct Case {
        float tu, tv;
        int x, y;
    };
    const Case cases[] = {
        {3, 2, 3, 2}, {-1, 0, 7, 0}, {8, 0, 0, 0}, {0, -1, 0, 3}, {0, 4, 0, 0}, {-9, 5, 7, 1}, {17, -6, 1, 2},
    };
    for (const Case& c : cases) {
        Frame f(16, 16);
        TexelChain texture(8, 4);
        rasterizeTriangle({corner(1, 1, 1, c.tu, c.tv), corner(14, 1, 1, c.tu, c.tv), corner(1, 14, 1, c.tu, c.tv)},
                          texture.top(), *f.colour);
        EXPECT_EQ(texelOf(f.at(4, 4)), (Texel{0, c.x, c.y})) << c.tu << "," << c.tv;
    }
}

// The light factor scales each channel by s / 256, rounded down; 256 keeps
// the texel, and anything at or below 20 counts as 20. The texel's top byte
// never reaches the frame.
TEST(RasterizerLight, ChannelsAreScaledWithAFloorOf20)
{
    struct Case {
        float shade;
        std::uint32_t texel, expected;
    };
    const Case cases[] = {
        {256, 0x00FF8040, 0x00FF8040}, {256, 0xAB123456, 0x00123456}, {128, 0x00FF8040, 0x007F4020},
        {21, 0x00FF8040, 0x00140A05},  {20, 0x00FF8040, 0x00130A05},  {0, 0x00FF8040, 0x00130A05},
        {-300, 0x00FF8040, 0x00130A05}, {255, 0x00FFFFFF, 0x00FEFEFE},
    };
    for (const Case& c : cases) {
        Frame f(8, 8);
        std::uint32_t texel = c.texel;
        Texture level = levelOver(&texel, 1, 1, 0);
        level.nextLevel = &level;
        rasterizeTriangle({corner(0, 0, 2, 0, 0, c.shade), corner(7, 0, 2, 0, 0, c.shade),
                           corner(0, 7, 2, 0, 0, c.shade)},
                          level, *f.colour);
        EXPECT_EQ(f.at(1, 1), c.expected) << "shade " << c.shade;
    }
}

// Above full light a texel stays as it is: the factor is held at 256, so no
// channel wraps (at 258, white would turn black), however far beyond the
// 32-bit range the light goes, on every pixel loop and for every pixel of
// the triangle, the last partial vector steps included.
TEST(RasterizerLight, NoChannelWrapsAboveFullLight)
{
    const float shades[] = {256, 257, 258, 300, 511, 1e6f, 3e9f};
    const std::uint32_t texels[] = {0x00FFFFFF, 0x00FF8040, 0x0001FF01};
    for (const SpanPath* path : availableSpanPaths()) {
        UsingSpanPath using_(*path);
        for (float shade : shades) {
            for (std::uint32_t texel : texels) {
                Frame f(16, 16);
                std::uint32_t cell = texel;
                Texture level = levelOver(&cell, 1, 1, 0);
                level.nextLevel = &level;
                rasterizeTriangle({corner(0, 0, 2, 0, 0, shade), corner(15, 0, 2, 0, 0, shade),
                                   corner(0, 15, 2, 0, 0, shade)},
                                  level, *f.colour);
                int wrong = 0, drawn = 0;
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 16; ++x)
                        if (f.drawn(x, y)) {
                            ++drawn;
                            wrong += f.at(x, y) != texel;
                        }
                EXPECT_GT(drawn, 100);
                EXPECT_EQ(wrong, 0) << path->name << ", shade " << shade << ", texel " << std::hex << texel;
            }
        }
    }
}

// A pixel is drawn when its 1/z is at least the one already there: of two
// coplanar triangles the later wins, a farther one loses, a nearer one wins.
TEST(RasterizerDepth, EqualDepthLetsTheLaterTriangleWin)
{
    struct Case {
        float firstZ, secondZ;
        int winner; // level tag of the triangle that shows
    };
    const Case cases[] = {{2, 2, 2}, {2, 4, 1}, {4, 2, 2}};
    for (const Case& c : cases) {
        Frame f(16, 16);
        TexelChain first(16, 16, 1, 1), second(16, 16, 1, 2);
        auto triangle = [](float z) { return Corners{corner(0, 0, z), corner(15, 0, z), corner(0, 15, z)}; };
        rasterizeTriangle(triangle(c.firstZ), first.top(), *f.colour);
        std::int64_t drawn = rasterizeTriangle(triangle(c.secondZ), second.top(), *f.colour);
        EXPECT_EQ(texelOf(f.at(3, 3)).level, c.winner) << c.firstZ << " then " << c.secondZ;
        EXPECT_EQ(f.depthAt(3, 3), 1.0f / std::min(c.firstZ, c.secondZ));
        EXPECT_EQ(drawn > 0, c.winner == 2);
    }
}

} // namespace
