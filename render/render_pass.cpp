// The frame render pass: object visibility, view transform and vertex light.
#include "render/render_pass.h"

#include "render/face_setup.h"
#include "render/pixel_buffer.h"
#include "render/render_stats.h"
#include "runtime/floating_point.h"
#include "scene/scene.h"

#include <cmath>
#include <vector>

namespace {

// A vertex whose normal points straight at the light gets this shade.
constexpr double kLightScale = 256.0;

// Objects must reach beyond this view depth to be drawn.
constexpr double kNearLimit = 1.0;

using Matrix = float[3][3];

// Component k of Cᵀ · (p − e): the world offset p − e seen along column k
// of the camera's orientation C, rounded to a float.
float viewComponent(const Matrix& c, int k, const Vec3& p, const Vec3& e)
{
    double dx = static_cast<double>(p.x) - e.x;
    double dy = static_cast<double>(p.y) - e.y;
    double dz = static_cast<double>(p.z) - e.z;
    return roundToFloat(dx * c[0][k] + dy * c[1][k] + dz * c[2][k]);
}

Vec3 toView(const SceneObject& camera, const Vec3& p)
{
    return {viewComponent(camera.orientation, 0, p, camera.position),
            viewComponent(camera.orientation, 1, p, camera.position),
            viewComponent(camera.orientation, 2, p, camera.position)};
}

// Whether any of the object's bounding sphere can show on the screen: part
// of it lies beyond the near limit, and it does not lie wholly beyond a
// screen edge, measured with the screen scale at the sphere's far side.
bool isVisible(const SceneObject& object, const SceneObject& camera, double w, double h)
{
    Vec3 c = toView(camera, object.position);
    double r = object.radius;
    if (!(c.z > kNearLimit - r))
        return false;
    float k = roundToFloat(w / (r + c.z));
    if ((std::fabs(c.x) - r) * k >= w * 0.5)
        return false;
    if ((std::fabs(c.y) - r) * k >= h * 0.5)
        return false;
    return true;
}

// Light for a vertex at local position l with unit normal n, the light at
// lambda in the same frame: the cosine of the angle between the normal and
// the direction to the light, times 256. Negative when the vertex faces
// away; a light exactly on the vertex lights it fully.
float shadeVertex(const Vertex& vertex, const Vec3& lambda)
{
    double dx = static_cast<double>(lambda.x) - vertex.x;
    double dy = static_cast<double>(lambda.y) - vertex.y;
    double dz = static_cast<double>(lambda.z) - vertex.z;
    double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(length > 0.0))
        return static_cast<float>(kLightScale);
    double facing = vertex.normal.x * dx + vertex.normal.y * dy + vertex.normal.z * dz;
    return roundToFloat(facing / length * kLightScale);
}

// Transforms and lights every vertex of a visible object, then sets up its
// faces.
void drawObject(const SceneObject& object, const SceneObject& camera, const Vec3& light, PixelBuffer& colour,
                RenderStats* stats)
{
    const Matrix& r = object.orientation;
    const Matrix& c = camera.orientation;

    // The light in the object's own frame, Rᵀ · (L − P), in unscaled units.
    Vec3 lambda{viewComponent(r, 0, light, object.position), viewComponent(r, 1, light, object.position),
                viewComponent(r, 2, light, object.position)};

    // Object to view in one step: M = Cᵀ · R · diag(scale), t = Cᵀ · (P − E).
    const float s[3] = {object.scale.x, object.scale.y, object.scale.z};
    float m[3][3];
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j)
            m[k][j] = roundToFloat((static_cast<double>(c[0][k]) * r[0][j] + static_cast<double>(c[1][k]) * r[1][j] +
                                    static_cast<double>(c[2][k]) * r[2][j]) *
                                   s[j]);
    Vec3 t = toView(camera, object.position);

    for (Vertex* v = object.vertices; v; v = v->next) {
        double x = v->x, y = v->y, z = v->z;
        v->view.x = roundToFloat(m[0][0] * x + m[0][1] * y + m[0][2] * z + t.x);
        v->view.y = roundToFloat(m[1][0] * x + m[1][1] * y + m[1][2] * z + t.y);
        v->view.z = roundToFloat(m[2][0] * x + m[2][1] * y + m[2][2] * z + t.z);
        v->shade = shadeVertex(*v, lambda);
    }
    for (const Face* f = object.faces; f; f = f->next)
        setUpFace(*f, colour, stats);
}

} // namespace

void renderScene(Scene& scene, const SceneObject& camera, PixelBuffer& colour, RenderStats* stats)
{
    if (!scene.lights)
        return;
    const double w = colour.width;
    const double h = colour.height;

    // Kept from call to call (one list per calling thread), so that frames
    // allocate nothing once the list has room for the scene.
    thread_local std::vector<SceneObject*> visible;
    visible.clear();
    if (scene.objectCount > 0)
        visible.reserve(2 * static_cast<std::size_t>(scene.objectCount) + 1);

    for (SceneObject* object = scene.objects; object; object = object->next)
        if (!object->hidden && isVisible(*object, camera, w, h))
            visible.push_back(object);
    if (stats)
        stats->objectsVisible += static_cast<std::int64_t>(visible.size());

    const Vec3 light = scene.lights->position;
    for (SceneObject* object : visible)
        drawObject(*object, camera, light, colour, stats);
}
