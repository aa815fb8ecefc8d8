// Face set-up: projection, back-face rejection and the choice of mip level.
#pragma once

#include "render/rasterizer.h"

struct Face;
struct PixelBuffer;
struct RenderStats;

// Projects a face whose vertices hold this frame's view position and shade,
// and sets it up as a triangle ready for its rows (render/rasterizer.h)
// unless it reaches to or behind the eye plane or faces away from the
// viewer. The focal length in pixels is the buffer's width. The mip level is
// the first whose texel area is at most twice the face's screen area, or the
// smallest level. False when the face is dropped or has no row in the
// buffer. Adds the face to stats.facesSetUp, and to stats.facesRasterized
// unless it is dropped; the caller adds what drawTriangle draws.
bool setUpFace(const Face& face, const PixelBuffer& colour, PreparedTriangle& triangle, RenderStats& stats);
