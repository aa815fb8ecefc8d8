// The triangle rasterizer: rows, spans, the 1/z depth test, texels and light.
#pragma once

#include "render/row_set.h"
#include "render/screen_corner.h"
#include "render/span.h"

#include <array>
#include <cstdint>

struct PixelBuffer;
struct Texture;

// Fills one projected triangle into the colour buffer and its depth buffer,
// given its corners in the face's own order and the mip level to sample.
// Pixels whose 1/z is at least the depth cell's take the level's texel at
// the perspective-correct coordinates, scaled by the interpolated light as
// render/light.h says. Rows and columns outside the buffer are cut away, and
// texel coordinates wrap around the level, so no input writes outside
// the buffers or reads outside the level. Draws nothing when the colour
// buffer has no depth buffer of its size or the level is not a power of two
// in both directions. Returns the number of pixels that passed the depth test.
std::int64_t rasterizeTriangle(const std::array<ScreenCorner, 3>& corners, const Texture& level,
                               PixelBuffer& colour);

// The same in two parts, so that several threads can share the rows of one
// triangle set up once: setUpTriangle does the work per triangle,
// drawTriangle the work per row and per pixel.

// The four values interpolated across a triangle, each divided by depth.
struct Attributes {
    float invZ;
    float uOverZ;
    float vOverZ;
    float shadeOverZ;
};

// One half of a triangle between two rows: its edges at its first row and
// how they change from row to row. The attributes are kept as the left
// edge's values and the differences right minus left.
struct HalfEdges {
    std::int32_t y0, y1;     // first and last row, inside the buffer (none if y1 < y0)
    float xl, xr;            // left and right edge at row y0, unrounded
    float dxl, dxr;          // their change per row
    Attributes left, diff;   // on the left edge, and right minus left
    Attributes dLeft, dDiff; // their change per row
};

// A triangle ready for its rows: both halves and the level it samples.
struct PreparedTriangle {
    HalfEdges upper, lower;
    SpanLevel level;
};

// Orders the corners and sets up both halves, their rows cut to the
// buffer's height. False when the triangle has no row in the buffer or the
// level is unusable (then it draws nothing).
bool setUpTriangle(const std::array<ScreenCorner, 3>& corners, const Texture& level, const PixelBuffer& colour,
                   PreparedTriangle& triangle);

// Draws the triangle's rows that are in `rows`. Every row's edges are walked
// down from the half's first row whichever rows are drawn, so a row comes
// out the same in any share. Returns the number of pixels drawn.
std::int64_t drawTriangle(const PreparedTriangle& triangle, PixelBuffer& colour, RowSet rows = {});
