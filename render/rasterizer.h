// The triangle rasterizer: rows, spans, the 1/z depth test, texels and light.
#pragma once

#include "render/screen_corner.h"

#include <array>
#include <cstdint>

struct PixelBuffer;
struct Texture;

// Fills one projected triangle into the colour buffer and its depth buffer,
// given its corners in the face's own order and the mip level to sample.
// Pixels whose 1/z is at least the depth cell's take the level's texel at
// the perspective-correct coordinates, scaled by the interpolated light
// (never below 20/256). Rows and columns outside the buffer are cut away,
// and texel coordinates wrap around the level, so no input writes outside
// the buffers or reads outside the level. Draws nothing when the colour
// buffer has no depth buffer of its size or the level is not a power of two
// in both directions. Returns the number of pixels that passed the depth test.
std::int64_t rasterizeTriangle(const std::array<ScreenCorner, 3>& corners, const Texture& level,
                               PixelBuffer& colour);
