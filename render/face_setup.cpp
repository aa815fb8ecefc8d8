// Face set-up: projection, back-face rejection and the choice of mip level.
#include "render/face_setup.h"

#include "render/pixel_buffer.h"
#include "render/render_stats.h"
#include "runtime/floating_point.h"
#include "scene/scene.h"
#include "texture/texture.h"

#include <array>

namespace {

// The first level at which the face's area in texels is at most twice its
// area on the screen, or the smallest level: a is four times the screen
// area, texelArea twice the area in top-level texels, and each level down
// has a quarter of the texels of the one above.
const Texture& chooseLevel(const Face& face, float a)
{
    const Texture* level = face.texture;
    // The smallest level refers to itself: stopping there changes nothing
    // and ends the search even when a is 0 and can never catch up.
    while (a < face.texelArea && level->nextLevel != level) {
        level = level->nextLevel;
        a *= 4.0f;
    }
    return *level;
}

// Projects the face: false when it is dropped, otherwise its corners in the
// face's order and the mip level to sample.
bool projectFace(const Face& face, const PixelBuffer& colour, std::array<ScreenCorner, 3>& c, const Texture*& level)
{
    const std::array<const Vertex*, 3> v{face.corner1, face.corner2, face.corner3};

    // No clipping: a face reaching the eye plane is dropped whole (NaN too).
    for (const Vertex* p : v)
        if (!(p->view.z > 0.0f))
            return false;

    const double w = colour.width;
    const double h = colour.height;
    for (int i = 0; i < 3; ++i) {
        float invZ = 1.0f / v[i]->view.z;
        float k = roundToFloat(invZ * w); // focal length = buffer width
        c[i].x = roundToFloat(w / 2 + k * static_cast<double>(v[i]->view.x));
        c[i].y = roundToFloat(h / 2 - k * static_cast<double>(v[i]->view.y));
        c[i].invZ = invZ;
    }

    // Twice the signed screen area; positive when the corners run clockwise
    // as the viewer sees them.
    double area = (static_cast<double>(c[1].x) - c[0].x) * (static_cast<double>(c[2].y) - c[0].y) -
                  (static_cast<double>(c[2].x) - c[0].x) * (static_cast<double>(c[1].y) - c[0].y);
    if (!(area > 0.0))
        return false;

    level = &chooseLevel(face, roundToFloat(2.0 * area));
    const double lw = level->width;
    const double lh = level->height;
    for (int i = 0; i < 3; ++i) {
        c[i].uOverZ = roundToFloat((v[i]->u * lw + 0.5) * c[i].invZ);
        c[i].vOverZ = roundToFloat((v[i]->v * lh + 0.5) * c[i].invZ);
        c[i].shadeOverZ = c[i].invZ * v[i]->shade;
    }
    return true;
}

} // namespace

bool setUpFace(const Face& face, const PixelBuffer& colour, PreparedTriangle& triangle, RenderStats& stats)
{
    ++stats.facesSetUp;
    std::array<ScreenCorner, 3> corners;
    const Texture* level;
    if (!projectFace(face, colour, corners, level))
        return false;
    ++stats.facesRasterized;
    return setUpTriangle(corners, *level, colour, triangle);
}
