// The render pass: visibility of objects, view positions, vertex light and
// the order in which objects and faces are drawn.
#include "render/render_pass.h"

#include "render/render_stats.h"
#include "scene/scene.h"
#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A camera at the origin looking along +x: screen-right is world -z,
// screen-up world +y (the columns of its orientation).
std::unique_ptr<SceneObject> cameraLookingAlongX()
{
    auto camera = createCamera();
    float c[3][3] = {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}};
    std::copy(&c[0][0], &c[0][0] + 9, &camera->orientation[0][0]);
    return camera;
}

// An object survives the visibility pass when part of its bounding sphere
// lies beyond depth 1 and the sphere does not lie wholly beyond a screen
// edge, both measured with the scale W / (r + cz) at the sphere's far side.
// Here W = 64, H = 48 and r + cz = 16, so the scale is 4: the sphere reaches
// the side edges at |cx| = 9 and the top and bottom at |cy| = 7.
TEST(RenderPassVisibility, SpheresAreTestedAgainstNearPlaneAndScreenEdges)
{
    struct Case {
        const char* name;
        Vec3 position;
        float radius;
        bool visible;
        Vec3 scale = {1, 1, 1};
        bool hidden = false;
        bool alongX = false; // seen by a camera looking along +x
    };
    const Case cases[] = {
        {"straight ahead", {0, 0, 10}, 1, true},
        {"behind the eye", {0, 0, -10}, 1, false},
        {"reaching exactly to depth 1", {0, 0, 0.5f}, 0.5f, false},
        {"straddling the eye plane", {0, 0, 0.5f}, 0.51f, true},
        {"touching the right edge", {9, 0, 15}, 1, false},
        {"just inside the right edge", {8.99f, 0, 15}, 1, true},
        {"touching the left edge", {-9, 0, 15}, 1, false},
        {"touching the top edge", {0, 7, 15}, 1, false},
        {"just inside the bottom edge", {0, -6.99f, 15}, 1, true},
        {"touching the bottom edge", {0, -7, 15}, 1, false},
        {"scaled up, the radius stays unscaled", {9, 0, 15}, 1, false, {2, 2, 2}},
        {"hidden", {0, 0, 10}, 1, false, {1, 1, 1}, true},
        {"ahead of a turned camera", {10, 0, 0}, 1, true, {1, 1, 1}, false, true},
        {"beside a turned camera", {0, 0, 10}, 1, false, {1, 1, 1}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto scene = createScene();
        addLight(*scene);
        SceneObject* object = addObject(*scene);
        object->position = c.position;
        object->radius = c.radius;
        object->scale = c.scale;
        object->hidden = c.hidden;
        auto camera = c.alongX ? cameraLookingAlongX() : createCamera();
        Frame f(kWidth, kHeight);
        RenderStats stats;
        renderScene(*scene, *camera, *f.colour, &stats);
        EXPECT_EQ(stats.objectsVisible, c.visible ? 1 : 0);
    }
}

// A vertex lies in view space at Cᵀ · (P + R · (scale ∘ l) − E); its shade is
// 256 times the cosine between its normal and the direction to the light,
// taken in the object's unscaled local frame, negative when it faces away.
TEST(RenderPassVertices, ViewPositionsAndShadesFollowCameraObjectAndLight)
{
    auto scene = createScene();
    SceneObject* light = addLight(*scene);
    SceneObject* object = addObject(*scene);
    object->position = {5, 1, 2};
    object->radius = 20;
    object->scale = {2, 1, 1};
    // Turned a quarter about z: its own x axis is world +y, its y axis world -x.
    float r[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    std::copy(&r[0][0], &r[0][0] + 9, &object->orientation[0][0]);
    light->position = {5, 4, 2}; // at local (3, 0, 0), unscaled

    // World position (5 - ly, 1 + 2 lx, 2 + lz); seen from (-3, 0.5, 1)
    // looking along +x that is view (-(1 + lz), 0.5 + 2 lx, 8 - ly).
    struct Case {
        const char* name;
        Vec3 local, normal, view;
        float shade;
    };
    const Case cases[] = {
        {"normal towards the light", {1, 0, 0}, {1, 0, 0}, {-1, 2.5f, 8}, 256},
        {"normal across the light", {1, 0, 0}, {0, 0, 1}, {-1, 2.5f, 8}, 0},
        {"normal away from the light", {1, 0, 0}, {-1, 0, 0}, {-1, 2.5f, 8}, -256},
        {"light at 2/sqrt(5) of the normal", {1, 1, 0}, {1, 0, 0}, {-1, 2.5f, 7},
         static_cast<float>(2 / std::sqrt(5.0) * 256)},
        {"light on the vertex", {3, 0, 0}, {0, 1, 0}, {-1, 6.5f, 8}, 256},
    };
    std::vector<Vertex*> vertices;
    for (const Case& c : cases) {
        vertices.push_back(addVertex(*object, c.local.x, c.local.y, c.local.z, 0, 0));
        vertices.back()->normal = c.normal;
    }
    auto camera = cameraLookingAlongX();
    camera->position = {-3, 0.5f, 1};
    Frame f(kWidth, kHeight);
    renderScene(*scene, *camera, *f.colour);

    for (std::size_t i = 0; i < vertices.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_FLOAT_EQ(vertices[i]->shade, cases[i].shade);
        EXPECT_EQ(vertices[i]->view.x, cases[i].view.x);
        EXPECT_EQ(vertices[i]->view.y, cases[i].view.y);
        EXPECT_EQ(vertices[i]->view.z, cases[i].view.z);
    }
}

// The light in the object's frame is not stored, so it is not rounded to a
// float: with the light far away and a normal nearly across it, rounding it
// would move that shade by thousands of float steps.
TEST(RenderPassVertices, LightInTheObjectsFrameKeepsDoublePrecision)
{
    auto scene = createScene();
    SceneObject* light = addLight(*scene);
    SceneObject* object = addObject(*scene);
    object->position = {10.3f, 0.7f, -0.1f};
    object->radius = 20;
    // Turned 30 degrees about z: no element but the ones and zeros is exact.
    const float c = std::cos(0.5235987755982988f), s = std::sin(0.5235987755982988f);
    float r[3][3] = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
    std::copy(&r[0][0], &r[0][0] + 9, &object->orientation[0][0]);
    light->position = {9938.5f, -1195.5f, 0.4f}; // near local (8000, -6000, 0.5)

    const Vec3 normals[] = {{0.6f, 0.8f, 0}, {0, 0, 1}, {0.8f, -0.6f, 0}};
    std::vector<Vertex*> vertices;
    for (const Vec3& n : normals) {
        vertices.push_back(addVertex(*object, 0.25f, -0.5f, 0.125f, 0, 0));
        vertices.back()->normal = n;
    }
    auto camera = cameraLookingAlongX();
    Frame f(kWidth, kHeight);
    renderScene(*scene, *camera, *f.colour);

    double offset[3] = {double(light->position.x) - object->position.x, double(light->position.y) - object->position.y,
                        double(light->position.z) - object->position.z};
    for (Vertex* v : vertices) {
        const double local[3] = {v->x, v->y, v->z};
        double d[3];
        for (int k = 0; k < 3; ++k)
            d[k] = offset[0] * r[0][k] + offset[1] * r[1][k] + offset[2] * r[2][k] - local[k];
        double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        double shade = (v->normal.x * d[0] + v->normal.y * d[1] + v->normal.z * d[2]) / length * 256;
        EXPECT_EQ(v->shade, static_cast<float>(shade)) << "normal " << v->normal.x << " " << v->normal.y << " "
                                                       << v->normal.z;
    }
}

// A square of two faces 10 units ahead of a camera at the origin, filling
// the middle of the screen, painted with a one-texel texture.
void addSquare(Scene& scene, SceneObject& object, std::uint32_t colour, bool secondFaceOnly = false)
{
    Texture* texture = addTexture(scene, 1, 1, colour);
    Vertex* a = addVertex(object, -2, 2, 10, 0, 0);
    Vertex* b = addVertex(object, 2, 2, 10, 0, 0);
    Vertex* c = addVertex(object, -2, -2, 10, 0, 0);
    Vertex* d = addVertex(object, 2, -2, 10, 0, 0);
    for (Vertex* v : {a, b, c, d})
        v->normal = {0, 0, -1};
    if (!secondFaceOnly)
        addFace(object, a, b, c, texture); // clockwise on the screen
    addFace(object, b, d, c, texture);
}

// Objects are drawn in list order (newest first) and their faces in list
// order; with equal depth the later one wins, so the object added first and,
// within an object, the face added first show.
TEST(RenderPassOrder, ObjectsAndFacesAreDrawnInListOrder)
{
    auto scene = createScene();
    addLight(*scene); // at the eye: every face of the square is lit
    SceneObject* first = addObject(*scene);
    addSquare(*scene, *first, 0x00FF0000);              // red, both faces
    addSquare(*scene, *first, 0x0000FF00, true);         // green, one face, added later
    SceneObject* second = addObject(*scene);
    addSquare(*scene, *second, 0x000000FF);              // blue, added later still
    for (SceneObject* o : {first, second})
        o->radius = 20;

    auto camera = createCamera();
    Frame f(kWidth, kHeight);
    RenderStats stats;
    renderScene(*scene, *camera, *f.colour, &stats);
    EXPECT_EQ(stats.objectsVisible, 2);
    EXPECT_EQ(stats.facesSetUp, 5);
    EXPECT_EQ(stats.facesRasterized, 5);
    EXPECT_GT(stats.pixelsDrawn, 2 * f.drawnCount()); // every face passes: all are at the same depth

    // Both triangles of the square, drawn last by the first object's first
    // faces: red, scaled by the light at the centre.
    for (auto [x, y] : {std::pair{28, 22}, std::pair{36, 26}}) {
        std::uint32_t cell = f.at(x, y);
        EXPECT_GT(cell >> 16 & 0xFF, 200u) << x << "," << y;
        EXPECT_EQ(cell & 0xFFFF, 0u) << x << "," << y;
    }
}

// With nothing to draw, or no light to draw with, the buffers keep what
// they held and the vertices keep last frame's values.
TEST(RenderPassOrder, EmptySceneOrMissingLightLeavesEverythingUnchanged)
{
    Frame f(kWidth, kHeight);
    std::fill_n(f.colour->cells, f.cells(), 0x00123456u);
    std::fill_n(f.depth->cells, f.cells(), std::bit_cast<std::uint32_t>(0.01f)); // the square would pass
    const auto colour = f.colourCells();
    const auto depth = f.depthCells();
    auto camera = createCamera();

    auto empty = createScene();
    addLight(*empty);
    RenderStats stats;
    renderScene(*empty, *camera, *f.colour, &stats);
    EXPECT_EQ(stats.objectsVisible, 0);

    auto unlit = createScene();
    SceneObject* object = addObject(*unlit);
    object->radius = 20;
    addSquare(*unlit, *object, 0x00FFFFFF);
    renderScene(*unlit, *camera, *f.colour, &stats);
    EXPECT_EQ(stats.objectsVisible, 0);
    EXPECT_EQ(object->vertices->view.z, 0.0f);

    EXPECT_EQ(f.colourCells(), colour);
    EXPECT_EQ(f.depthCells(), depth);
}

} // namespace
