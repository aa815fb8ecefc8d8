// Face set-up: projection, back-face rejection and the choice of mip level.
#pragma once

#include "render/screen_corner.h"

#include <array>

struct Face;
struct Texture;
struct PixelBuffer;
struct RenderStats;

// Projects a face whose vertices hold this frame's view position and shade,
// and rasterizes it into the colour buffer unless it reaches to or behind
// the eye plane or faces away from the viewer. The focal length in pixels
// is the buffer's width. The mip level is the first whose texel area is at
// most twice the face's screen area, or the smallest level. Adds to stats
// when given.
void setUpFace(const Face& face, PixelBuffer& colour, RenderStats* stats = nullptr);

// The first half of setUpFace: false when the face is dropped, otherwise
// its projected corners in the face's order and the mip level to sample.
bool projectFace(const Face& face, const PixelBuffer& colour, std::array<ScreenCorner, 3>& corners,
                 const Texture*& level);
