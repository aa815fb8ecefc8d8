// The frame render pass: object visibility, view transform and vertex light.
#include "render/render_pass.h"

#include "render/face_setup.h"
#include "render/light.h"
#include "render/pixel_buffer.h"
#include "render/rasterizer.h"
#include "render/render_stats.h"
#include "render/row_set.h"
#include "runtime/floating_point.h"
#include "runtime/thread_team.h"
#include "scene/scene.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <vector>

namespace {

// Objects must reach beyond this view depth to be drawn.
constexpr double kNearLimit = 1.0;

using Matrix = float[3][3];

// A point held in double: the light in an object's frame, which is not
// stored and so is never rounded to a float.
struct Point {
    double x, y, z;
};

// Component k of Cᵀ · (p − e): the world offset p − e seen along column k
// of the orientation C, in double.
double frameComponent(const Matrix& c, int k, const Vec3& p, const Vec3& e)
{
    double dx = static_cast<double>(p.x) - e.x;
    double dy = static_cast<double>(p.y) - e.y;
    double dz = static_cast<double>(p.z) - e.z;
    return dx * c[0][k] + dy * c[1][k] + dz * c[2][k];
}

// The same seen along the camera's orientation and rounded to a float, as
// view-space positions are stored.
float viewComponent(const Matrix& c, int k, const Vec3& p, const Vec3& e)
{
    return roundToFloat(frameComponent(c, k, p, e));
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
// the direction to the light, times full light. Negative when the vertex faces
// away; a light exactly on the vertex lights it fully.
float shadeVertex(const Vertex& vertex, const Point& lambda)
{
    double dx = lambda.x - vertex.x;
    double dy = lambda.y - vertex.y;
    double dz = lambda.z - vertex.z;
    double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(length > 0.0))
        return static_cast<float>(kFullLight);
    double facing = vertex.normal.x * dx + vertex.normal.y * dy + vertex.normal.z * dz;
    return roundToFloat(facing / length * kFullLight);
}

// Transforms and lights every vertex of a visible object.
void transformObject(const SceneObject& object, const SceneObject& camera, const Vec3& light)
{
    const Matrix& r = object.orientation;
    const Matrix& c = camera.orientation;

    // The light in the object's own frame, Rᵀ · (L − P), in unscaled units,
    // kept in double until the shades are computed.
    Point lambda{frameComponent(r, 0, light, object.position), frameComponent(r, 1, light, object.position),
                 frameComponent(r, 2, light, object.position)};

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
}

// The visible list has room for this many objects of a scene of `count`:
// every object can be visible, with room to spare, so that the list never
// grows while a frame is drawn.
constexpr std::size_t visibleRoom(std::int32_t count)
{
    return 2 * static_cast<std::size_t>(count) + 1;
}

// Visible objects are set up in batches of this many: each thread takes the
// next batch when it has finished one, so that a thread slowed down (its
// objects waiting in another core's cache, say) takes fewer.
constexpr std::size_t kObjectsPerBatch = 4;

// What one thread counted, on a cache line of its own.
struct alignas(64) ThreadCounts {
    RenderStats stats;
};

// What the threads drawing a frame share. Kept from frame to frame (one per
// calling thread), so that frames allocate nothing once it has room.
struct Frame {
    const SceneObject* camera;
    PixelBuffer* colour;
    Vec3 light;
    ThreadTeam* team; // none: one thread draws the frame
    int threads;
    std::vector<SceneObject*> visible;                 // in list order
    std::size_t batches;                               // batches of visible objects in this frame
    std::atomic<std::size_t> nextBatch;                // the next batch for a thread to take
    std::vector<std::vector<PreparedTriangle>> triangles; // each batch's, in list and face order
    std::vector<ThreadCounts> counts;                  // one per thread, the first `threads` in use
};

// A thread's first task: batches of visible objects, taken in turn with the
// other threads until none is left, their vertices transformed and lit and
// their faces set up into the batch's triangles in face order.
void setUpBatches(Frame& f, int index)
{
    // What the loop reads is copied to locals, and the counts are kept in
    // them: the thread reads the shared record a few times and writes
    // only its own counts and batches.
    const SceneObject& camera = *f.camera;
    const PixelBuffer& colour = *f.colour;
    const Vec3 light = f.light;
    RenderStats counts;

    for (std::size_t batch; (batch = f.nextBatch.fetch_add(1, std::memory_order_relaxed)) < f.batches;) {
        std::vector<PreparedTriangle>& triangles = f.triangles[batch];
        triangles.clear();
        const std::size_t end = std::min(f.visible.size(), (batch + 1) * kObjectsPerBatch);
        for (std::size_t i = batch * kObjectsPerBatch; i < end; ++i) {
            const SceneObject& object = *f.visible[i];
            transformObject(object, camera, light);
            for (const Face* face = object.faces; face; face = face->next) {
                PreparedTriangle triangle;
                if (setUpFace(*face, colour, triangle, counts))
                    triangles.push_back(triangle);
            }
        }
    }
    f.counts[index].stats.facesSetUp = counts.facesSetUp;
    f.counts[index].stats.facesRasterized = counts.facesRasterized;
}

// Its second task, once every batch is set up: every batch's triangles, in
// order, drawn on this thread's rows (render/row_set.h). Every row belongs
// to one thread, which draws all its pixels in the order one thread alone
// would, so the frame does not depend on the number of threads.
void drawRows(Frame& f, int index)
{
    PixelBuffer& colour = *f.colour;
    const RowSet rows = rowShare(index, f.threads, colour.height);
    std::int64_t drawn = 0;
    for (std::size_t batch = 0; batch < f.batches; ++batch)
        for (const PreparedTriangle& triangle : f.triangles[batch])
            drawn += drawTriangle(triangle, colour, rows);
    f.counts[index].stats.pixelsDrawn = drawn;
}

void drawTogether(void* context, int index)
{
    Frame& f = *static_cast<Frame*>(context);
    setUpBatches(f, index);
    meetTeam(*f.team);
    drawRows(f, index);
}

void renderFrame(Scene& scene, const SceneObject& camera, PixelBuffer& colour, ThreadTeam* team,
                 RenderStats* stats)
{
    if (!scene.lights)
        return;
    thread_local Frame f;
    f.camera = &camera;
    f.colour = &colour;
    f.light = scene.lights->position;
    f.team = team;
    f.threads = team ? teamSize(*team) : 1;

    // The visibility pass, on the calling thread.
    const double w = colour.width;
    const double h = colour.height;
    f.visible.clear();
    if (scene.objectCount > 0)
        f.visible.reserve(visibleRoom(scene.objectCount));
    for (SceneObject* object = scene.objects; object; object = object->next)
        if (!object->hidden && isVisible(*object, camera, w, h))
            f.visible.push_back(object);

    f.batches = (f.visible.size() + kObjectsPerBatch - 1) / kObjectsPerBatch;
    f.nextBatch.store(0, std::memory_order_relaxed);
    if (f.triangles.size() < f.batches)
        f.triangles.resize(f.batches);
    if (f.counts.size() < static_cast<std::size_t>(f.threads))
        f.counts.resize(static_cast<std::size_t>(f.threads));
    if (team) {
        runTogether(*team, {drawTogether, &f});
    } else {
        setUpBatches(f, 0);
        drawRows(f, 0);
    }

    if (stats) {
        stats->objectsVisible += static_cast<std::int64_t>(f.visible.size());
        for (int i = 0; i < f.threads; ++i) {
            stats->facesSetUp += f.counts[i].stats.facesSetUp;
            stats->facesRasterized += f.counts[i].stats.facesRasterized;
            stats->pixelsDrawn += f.counts[i].stats.pixelsDrawn;
        }
    }
}

} // namespace

void renderScene(Scene& scene, const SceneObject& camera, PixelBuffer& colour, RenderStats* stats)
{
    renderFrame(scene, camera, colour, nullptr, stats);
}

void renderScene(Scene& scene, const SceneObject& camera, PixelBuffer& colour, ThreadTeam& team,
                 RenderStats* stats)
{
    renderFrame(scene, camera, colour, &team, stats);
}
