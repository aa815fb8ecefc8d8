// Perspective-correct interpolation held against its definition: at every
// drawn pixel the texel coordinates and the light must be what the corners
// give, worked out in double from barycentric weights divided by depth.
#include "render/rasterizer.h"
#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A corner as the test states it: screen position, view depth, texel column
// and row (u x width + 0.5, v x height + 0.5) and shade.
struct Corner {
    float x, y, z, tu, tv, shade;
};
using Triangle = std::array<Corner, 3>;

struct Values {
    double tu, tv, shade;
};

// The values at pixel centre (px, py): the point's screen weights b of the
// corners, then each attribute a as (sum of b a / z) / (sum of b / z), since
// a / z and 1 / z, not a itself, are linear across the screen.
Values valuesAt(const Triangle& t, double px, double py)
{
    const double x0 = t[0].x, y0 = t[0].y;
    const double dx1 = t[1].x - x0, dy1 = t[1].y - y0, dx2 = t[2].x - x0, dy2 = t[2].y - y0;
    const double area = dx1 * dy2 - dx2 * dy1;
    const double b1 = ((px - x0) * dy2 - dx2 * (py - y0)) / area;
    const double b2 = (dx1 * (py - y0) - (px - x0) * dy1) / area;
    const double w[3] = {(1 - b1 - b2) / t[0].z, b1 / t[1].z, b2 / t[2].z};
    const double sum = w[0] + w[1] + w[2];
    auto at = [&](float Corner::*a) { return (w[0] * (t[0].*a) + w[1] * (t[1].*a) + w[2] * (t[2].*a)) / sum; };
    return {at(&Corner::tu), at(&Corner::tv), at(&Corner::shade)};
}

std::array<ScreenCorner, 3> screenCorners(const Triangle& t)
{
    std::array<ScreenCorner, 3> corners;
    for (int i = 0; i < 3; ++i)
        corners[i] = corner(t[i].x, t[i].y, t[i].z, t[i].tu, t[i].tv, t[i].shade);
    return corners;
}

// Clockwise on the screen, depths 1 to 8 at the corners, texel coordinates
// and shades far apart, so that a swapped, unscaled or affine attribute is
// many texels or light steps off. Texel coordinates stay inside 256 x 256
// and shades above the light floor.
const Triangle kTriangles[] = {
    {{{20, 10, 1.0f, 3.5f, 240.5f, 60}, {300, 60, 4.0f, 250.5f, 10.5f, 240}, {90, 230, 2.5f, 120.5f, 200.5f, 130}}},
    {{{40, 20, 3.0f, 10.5f, 10.5f, 250}, {280, 20, 1.25f, 245.5f, 60.5f, 40}, {160, 220, 6.0f, 128.5f, 250.5f, 160}}},
    {{{150, 5, 8.0f, 200.5f, 5.5f, 100}, {170.5f, 235, 1.0f, 30.5f, 240.5f, 220}, {10.25f, 120.75f, 2.0f, 240.5f, 130.5f, 45}}},
    // Reaching past every edge of the buffer: cut away, the rest interpolated
    // as if it were there.
    {{{-50, -30, 1.5f, 5.5f, 20.5f, 200}, {400, 100, 5.0f, 250.5f, 100.5f, 50}, {60, 300, 2.0f, 60.5f, 250.5f, 120}}},
};

// Every drawn pixel of the triangle, with its centre's expected values.
template <typename Check>
std::int64_t forEachDrawn(const Frame& f, const Triangle& t, Check check)
{
    std::int64_t drawn = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (f.drawn(x, y)) {
                check(x, y, f.at(x, y), valuesAt(t, x, y));
                ++drawn;
            }
    return drawn;
}

} // namespace

TEST(Interpolation, TexelCoordinatesAndLightFollowTheCornersPerspectiveCorrectly)
{
    // Texel (x, y) holds x in green and y in blue: at full light a pixel
    // names the texel it took. White shows the light: each channel becomes
    // 255 x s / 256 rounded down, that is s - 1.
    TexelChain named(256, 256);
    std::uint32_t white = 0xFFFFFF;
    Texture whiteLevel = levelOver(&white, 1, 1, 0);
    whiteLevel.nextLevel = &whiteLevel;

    for (const SpanPath* path : availableSpanPaths()) {
        UsingSpanPath using_(*path);
        for (const Triangle& t : kTriangles) {
            SCOPED_TRACE(testing::Message() << path->name << ", triangle from (" << t[0].x << ", " << t[0].y
                                            << ")");
            Triangle lit = t;
            for (Corner& c : lit)
                c.shade = 256;
            Frame texels(kWidth, kHeight);
            rasterizeTriangle(screenCorners(lit), named.top(), *texels.colour);
            int wrong = 0;
            std::int64_t drawn = forEachDrawn(texels, lit, [&](int x, int y, std::uint32_t cell, Values want) {
                Texel got = texelOf(cell);
                if ((std::fabs(got.x - want.tu) > 1 || std::fabs(got.y - want.tv) > 1) && wrong++ == 0)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") took texel (" << got.x << ", " << got.y
                                  << "), expected (" << want.tu << ", " << want.tv << ")";
            });
            EXPECT_EQ(wrong, 0) << "pixels off by more than a texel";
            EXPECT_GT(drawn, 5000);

            Frame light(kWidth, kHeight);
            rasterizeTriangle(screenCorners(t), whiteLevel, *light.colour);
            wrong = 0;
            forEachDrawn(light, t, [&](int x, int y, std::uint32_t cell, Values want) {
                int s = static_cast<int>(cell & 0xFF) + 1;
                if (std::fabs(s - want.shade) > 1 && wrong++ == 0)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") has light " << s << ", expected "
                                  << want.shade;
            });
            EXPECT_EQ(wrong, 0) << "pixels off by more than a light step";
        }
    }
}
