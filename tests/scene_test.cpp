// Scene records: constructors, list order, texel area and storage.
#include "runtime/random.h"
#include "scene/demo_scene.h"
#include "scene_checks.h"
#include "texture/texture.h"

#include <gtest/gtest.h>


#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

TEST(SceneRecords, ListsRunNewestFirstAndNewObjectsStartAtTheOriginUnturned)
{
    auto scene = createScene();
    SceneObject* light = addLight(*scene);
    EXPECT_EQ(scene->objectCount, 0);
    SceneObject* first = addObject(*scene);
    SceneObject* second = addObject(*scene);
    SceneObject* third = addObject(*scene);
    EXPECT_EQ(scene->objectCount, 3);
    EXPECT_TRUE(scene->objects == third && third->next == second && second->next == first && !first->next);
    EXPECT_TRUE(scene->lights == light && !light->next);

    SceneObject& object = *first;
    Vertex* a = addVertex(object, 1, 2, 3, 0.25f, 0.5f);
    Vertex* b = addVertex(object, 4, 5, 6, 0, 0);
    EXPECT_TRUE(object.vertices == b && b->next == a && !a->next);
    EXPECT_EQ((std::array{a->x, a->y, a->z, a->u, a->v}), (std::array{1.0f, 2.0f, 3.0f, 0.25f, 0.5f}));
    Texture* texture = addTexture(*scene, 4, 4, 0);
    Face* f1 = addFace(object, a, b, b, texture);
    Face* f2 = addFace(object, b, a, a, texture);
    EXPECT_TRUE(object.faces == f2 && f2->next == f1 && !f1->next);
    EXPECT_TRUE(f1->corner1 == a && f1->corner2 == b && f1->corner3 == b && f1->texture == texture);
    // A second child replaces the first rather than joining it.
    attachChild(object, *second);
    attachChild(object, *third);
    EXPECT_TRUE(object.children->child == third && !object.children->next);

    auto camera = createCamera();
    for (const SceneObject* o : {light, second, camera.get()}) {
        EXPECT_EQ(values(o->orientation), (Floats9{1, 0, 0, 0, 1, 0, 0, 0, 1}));
        EXPECT_EQ(values(o->scale), (Floats3{1, 1, 1}));
        EXPECT_EQ(values(o->position), (Floats3{0, 0, 0}));
        EXPECT_TRUE(o->radius == 0 && !o->hidden && !o->vertices && !o->faces && !o->children);
    }
}

TEST(SceneRecords, TexelAreaIsTwiceTheAreaInTexelsWhateverTheCornerOrder)
{
    struct Case {
        int width, height;
        float uv[3][2];
        float area;
    };
    const Case cases[] = {
        {256, 256, {{0, 1}, {1, 1}, {1, 0}}, 65536},
        {128, 128, {{0, 1}, {1, 1}, {1, 0}}, 16384},
        {8, 16, {{0, 1}, {1, 1}, {1, 0}}, 128},
        {256, 256, {{0, 0}, {0.5f, 0}, {0, 0.25f}}, 8192},
        {64, 32, {{0, 0}, {0.5f, 0.5f}, {1, 1}}, 0}, // corners on a line
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

TEST(SceneStorage, RecordsOfOneListLieTogetherNeverMoveAndGoWithTheScene)
{
    auto scene = createScene();
    Texture* texture = addTexture(*scene, 2, 2, 0);
    // Objects and faces made in between do not separate the vertices: each
    // is the neighbour of the one before, except where a block of storage
    // ends (a dozen blocks at most for these 15,000).
    Vertex* first = addVertex(*addObject(*scene), 0, 0, 0, 0, 0);
    Vertex* last = first;
    int breaks = 0;
    for (int i = 1; i < 15000; ++i) {
        SceneObject& object = *addObject(*scene);
        Vertex* v = addVertex(object, float(i), 0, 0, 0, 0);
        addFace(object, v, v, last, texture);
        breaks += v != last + 1;
        last = v;
    }
    EXPECT_LE(breaks, 12);
    EXPECT_EQ(first->x, 0.0f);

    // Objects outside any scene (the camera) get records too.
    auto camera = createCamera();
    SceneObject loose{};
    attachChild(*camera, loose);
    EXPECT_EQ(addVertex(loose, 1, 2, 3, 0, 0)->y, 2.0f);

    scene.reset();
    restartRandom();
    buildDemoScene();
#if defined(__SANITIZE_ADDRESS__)
    // In the sanitized build: every block of both scenes was returned.
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}
