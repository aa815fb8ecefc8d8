// Face set-up: projection, rejection of faces and the choice of mip level.
#include "render/face_setup.h"

#include "render/render_stats.h"
#include "scene/scene.h"
#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A vertex whose view position projects onto screen point (x, y) at depth z,
// with the focal length equal to the buffer width.
Vertex onScreen(float x, float y, float z, float u = 0, float v = 0, float shade = 256)
{
    Vertex vertex{};
    vertex.view = {(x - kWidth / 2) * z / kWidth, (kHeight / 2 - y) * z / kWidth, z};
    vertex.u = u;
    vertex.v = v;
    vertex.shade = shade;
    return vertex;
}

Face faceOf(Vertex& a, Vertex& b, Vertex& c, Texture& texture, float texelArea = 0)
{
    Face face{};
    face.corner1 = &a;
    face.corner2 = &b;
    face.corner3 = &c;
    face.texture = &texture;
    face.texelArea = texelArea;
    return face;
}

// The face set up and drawn as the render pass does it.
void drawFace(const Face& face, PixelBuffer& colour, RenderStats& stats)
{
    PreparedTriangle triangle;
    if (setUpFace(face, colour, triangle, stats))
        stats.pixelsDrawn += drawTriangle(triangle, colour);
}

// Faces reaching the eye plane, turned away or seen edge-on draw nothing;
// a face in front of the eye with its corners running clockwise on the
// screen is drawn where its corners project.
TEST(FaceSetUp, OnlyFacesInFrontAndFacingTheViewerAreDrawn)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        Vertex a, b, c;
        bool drawn;
    };
    const Case cases[] = {
        {"clockwise in front", onScreen(8, 8, 2), onScreen(40, 8, 2), onScreen(8, 40, 2), true},
        {"one corner on the eye plane", onScreen(8, 8, 2), onScreen(40, 8, 2), onScreen(8, 40, 0), false},
        {"one corner behind the eye", onScreen(8, 8, 2), onScreen(40, 8, 2), onScreen(8, 40, -1), false},
        {"a NaN depth", onScreen(8, 8, 2), onScreen(40, 8, 2), onScreen(8, 40, nan), false},
        {"two corners exchanged", onScreen(8, 8, 2), onScreen(8, 40, 2), onScreen(40, 8, 2), false},
        {"edge-on", onScreen(8, 8, 2), onScreen(24, 24, 1), onScreen(40, 40, 4), false},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        Frame f(kWidth, kHeight);
        TexelChain texture(16, 16);
        RenderStats stats;
        drawFace(faceOf(c.a, c.b, c.c, texture.top()), *f.colour, stats);
        EXPECT_EQ(stats.facesSetUp, 1);
        EXPECT_EQ(stats.facesRasterized, c.drawn ? 1 : 0);
        EXPECT_EQ(stats.pixelsDrawn, f.drawnCount());
        EXPECT_EQ(f.drawnCount() > 0, c.drawn);
        if (c.drawn) { // the corner (8, 8) projects onto pixel (8, 8)
            EXPECT_TRUE(f.drawn(8, 8));
            EXPECT_FALSE(f.drawn(7, 8));
            EXPECT_FALSE(f.drawn(8, 7));
            EXPECT_EQ(f.depthAt(8, 8), 0.5f);
        }
    }
}

// The face covers 512 pixels, so a = 2 x (twice its screen area) = 2048: the
// top level serves while the face's doubled texel area is at most 2048, each
// level down serves four times as much, and a face too small for every
// level samples the smallest. At the pixel on a corner the texel is
// round(u x level width + 0.5), wrapped.
TEST(FaceSetUp, MipLevelFollowsTheRatioOfTexelAreaToScreenArea)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float texelArea;
        int level;
    };
    const Case cases[] = {
        {0, 0},
        {2048, 0},
        {std::nextafter(2048.0f, inf), 1},
        {8192, 1},
        {8193, 2},
        {32768, 2},
        {1e30f, 6},
        {inf, 6},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    const float u = 0.3f, v = 0.7f;
    for (const Case& c : cases) {
        SCOPED_TRACE("texel area " + std::to_string(c.texelArea));
        Frame f(kWidth, kHeight);
        TexelChain chain(64, 64, 7); // 64, 32, 16, 8, 4, 2, 1
        Vertex a = onScreen(8, 8, 2, u, v), b = onScreen(40, 8, 2, 0.9f, v), d = onScreen(8, 40, 2, u, 0.1f);
        RenderStats stats;
        drawFace(faceOf(a, b, d, chain.top(), c.texelArea), *f.colour, stats);

        int size = 64 >> c.level;
        int x = static_cast<int>(std::nearbyint(u * size + 0.5)) & (size - 1);
        int y = static_cast<int>(std::nearbyint(v * size + 0.5)) & (size - 1);
        EXPECT_EQ(texelOf(f.at(8, 8)), (Texel{c.level, x, y}));
    }
}

} // namespace
