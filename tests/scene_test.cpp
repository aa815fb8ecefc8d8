// Scene records: constructors, list order, texel area and storage.
#include "runtime/random.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

void expectNewObject(const SceneObject& o)
{
    const float identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(o.orientation[r][c], identity[r][c]);
    EXPECT_EQ(o.scale.x, 1.0f);
    EXPECT_EQ(o.scale.y, 1.0f);
    EXPECT_EQ(o.scale.z, 1.0f);
    EXPECT_EQ(o.position.x, 0.0f);
    EXPECT_EQ(o.position.y, 0.0f);
    EXPECT_EQ(o.position.z, 0.0f);
    EXPECT_EQ(o.radius, 0.0f);
    EXPECT_EQ(o.hidden, 0);
    EXPECT_EQ(o.vertices, nullptr);
    EXPECT_EQ(o.faces, nullptr);
    EXPECT_EQ(o.children, nullptr);
}

} // namespace

TEST(SceneRecords, ListsRunNewestFirstAndOnlyObjectsAreCounted)
{
    auto scene = createScene();
    EXPECT_EQ(scene->objects, nullptr);
    EXPECT_EQ(scene->lights, nullptr);
    EXPECT_EQ(scene->objectCount, 0);

    SceneObject* light = addLight(*scene);
    EXPECT_EQ(scene->objectCount, 0);
    SceneObject* first = addObject(*scene);
    SceneObject* second = addObject(*scene);
    SceneObject* third = addObject(*scene);
    EXPECT_EQ(scene->objectCount, 3);
    EXPECT_EQ(scene->objects, third);
    EXPECT_EQ(third->next, second);
    EXPECT_EQ(second->next, first);
    EXPECT_EQ(first->next, nullptr);
    EXPECT_EQ(scene->lights, light);
    EXPECT_EQ(light->next, nullptr);

    for (const SceneObject* o : {light, first, third})
        expectNewObject(*o);
    auto camera = createCamera();
    expectNewObject(*camera);
    EXPECT_EQ(camera->next, nullptr);
}

TEST(SceneRecords, VerticesFacesAndChildrenArePushedAtTheHead)
{
    auto scene = createScene();
    SceneObject& object = *addObject(*scene);
    Texture* texture = addTexture(*scene, 4, 4, 0);
    Vertex* a = addVertex(object, 1, 2, 3, 0.25f, 0.5f);
    Vertex* b = addVertex(object, 4, 5, 6, 0, 0);
    Vertex* c = addVertex(object, 7, 8, 9, 1, 1);
    EXPECT_EQ(object.vertices, c);
    EXPECT_EQ(c->next, b);
    EXPECT_EQ(b->next, a);
    EXPECT_EQ(a->next, nullptr);
    EXPECT_EQ(a->x, 1);
    EXPECT_EQ(a->z, 3);
    EXPECT_EQ(a->u, 0.25f);
    EXPECT_EQ(a->v, 0.5f);

    Face* f1 = addFace(object, a, b, c, texture);
    Face* f2 = addFace(object, c, b, a, texture);
    EXPECT_EQ(object.faces, f2);
    EXPECT_EQ(f2->next, f1);
    EXPECT_EQ(f1->next, nullptr);
    EXPECT_EQ(f1->corner1, a);
    EXPECT_EQ(f1->corner2, b);
    EXPECT_EQ(f1->corner3, c);
    EXPECT_EQ(f1->texture, texture);

    // A second child replaces the first rather than joining it.
    SceneObject& child1 = *addObject(*scene);
    SceneObject& child2 = *addObject(*scene);
    attachChild(object, child1);
    attachChild(object, child2);
    ASSERT_NE(object.children, nullptr);
    EXPECT_EQ(object.children->child, &child2);
    EXPECT_EQ(object.children->next, nullptr);
}

TEST(SceneRecords, EachVertexTakesOneDrawForItsShade)
{
    restartRandom();
    std::vector<double> draws;
    for (int i = 0; i < 100; ++i)
        draws.push_back(randomFraction());

    restartRandom();
    auto scene = createScene();
    SceneObject& object = *addObject(*scene);
    for (double r : draws) {
        Vertex* v = addVertex(object, 0, 0, 0, 0, 0);
        EXPECT_EQ(v->shade, static_cast<float>(r * 256.0));
        EXPECT_GE(v->shade, 0.0f);
        EXPECT_LT(v->shade, 256.0f);
    }
}

TEST(SceneRecords, TexelAreaIsTwiceTheAreaInTexelsWhateverTheCornerOrder)
{
    struct Case {
        int width, height;
        std::array<std::array<float, 2>, 3> uv;
        float area;
    };
    const Case cases[] = {
        {256, 256, {{{0, 1}, {1, 1}, {1, 0}}}, 65536},
        {128, 128, {{{0, 1}, {1, 1}, {1, 0}}}, 16384},
        {8, 16, {{{0, 1}, {1, 1}, {1, 0}}}, 128},
        {256, 256, {{{0, 0}, {0.5f, 0}, {0, 0.25f}}}, 8192},
        {64, 32, {{{0, 0}, {0.5f, 0.5f}, {1, 1}}}, 0}, // corners on a line
    };
    const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const Case& c : cases) {
        auto scene = createScene();
        SceneObject& object = *addObject(*scene);
        Texture* texture = addTexture(*scene, c.width, c.height, 0);
        Vertex* v[3];
        for (int i = 0; i < 3; ++i)
            v[i] = addVertex(object, 0, 0, 0, c.uv[i][0], c.uv[i][1]);
        for (const auto& o : orders)
            EXPECT_EQ(addFace(object, v[o[0]], v[o[1]], v[o[2]], texture)->texelArea, c.area)
                << c.width << "x" << c.height << " order " << o[0] << o[1] << o[2];
    }
}

TEST(SceneStorage, RecordsOfOneListLieTogetherAndNeverMove)
{
    auto scene = createScene();
    Texture* texture = addTexture(*scene, 2, 2, 0);
    std::vector<Vertex*> vertices;
    // Faces and objects made in between do not separate the vertices: the
    // next vertex is the neighbour of the last one, except where a block of
    // storage ends (a dozen blocks at most for these 15,000).
    int breaks = 0;
    for (int i = 0; i < 5000; ++i) {
        SceneObject& object = *addObject(*scene);
        for (int k = 0; k < 3; ++k) {
            vertices.push_back(addVertex(object, float(i), float(k), 0, 0, 0));
            if (vertices.size() > 1 && vertices.back() != vertices[vertices.size() - 2] + 1)
                ++breaks;
        }
        addFace(object, vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2], texture);
    }
    EXPECT_LE(breaks, 12);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(vertices[3 * i + 2]->x, float(i));

    // Objects outside any scene get their records too.
    auto camera = createCamera();
    SceneObject loose{};
    attachChild(*camera, loose);
    EXPECT_EQ(addVertex(loose, 1, 2, 3, 0, 0)->y, 2.0f);
    EXPECT_EQ(camera->children->child, &loose);
}

TEST(SceneStorage, DroppingScenesLeavesNothingBehind)
{
    for (int i = 0; i < 2; ++i) {
        restartRandom();
        auto scene = buildDemoScene();
        EXPECT_EQ(scene->objectCount, 2000);
    }
#if defined(__SANITIZE_ADDRESS__)
    // In the sanitized build: every block of both scenes was returned.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
