// The demonstration scene: its textures, cubes, draws, chain and light.
#include "geometry/transforms.h"
#include "runtime/random.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr long kTextureDraws = 65664;
constexpr long kDrawsPerCube = 29;

// The draws of a fresh generator, from the first.
std::vector<double> freshDraws(long count)
{
    restartRandom();
    std::vector<double> draws(count);
    for (double& r : draws)
        r = randomFraction();
    return draws;
}

int count(const Vertex* v) { return v ? 1 + count(v->next) : 0; }

int levels(const Texture* t) { return t->nextLevel == t ? 1 : 1 + levels(t->nextLevel); }

class DemoScene : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        restartRandom();
        scene = buildDemoScene();
        nextDraw = randomFraction();
        for (SceneObject* o = scene->objects; o; o = o->next)
            cubes.push_back(o); // newest first: cubes[0] is cube 2000
    }
    static void TearDownTestSuite()
    {
        scene.reset();
        cubes.clear();
    }

    // Cube k (1 to 2000) in the order of creation.
    static const SceneObject& cube(int k) { return *cubes[2000 - k]; }

    // The textures of the cube's faces, by texel area.
    static std::map<float, const Texture*> textures()
    {
        std::map<float, const Texture*> byArea;
        for (const Face* f = cube(1).faces; f; f = f->next)
            byArea[f->texelArea] = f->texture;
        return byArea;
    }

    static std::unique_ptr<Scene> scene;
    static double nextDraw; // the first draw after the build
    static std::vector<const SceneObject*> cubes;
};

std::unique_ptr<Scene> DemoScene::scene;
double DemoScene::nextDraw = 0;
std::vector<const SceneObject*> DemoScene::cubes;

} // namespace

TEST_F(DemoScene, TakesExactlyItsDrawsInOrder)
{
    std::vector<double> draws = freshDraws(kTextureDraws + 2000 * kDrawsPerCube + 1);
    EXPECT_EQ(nextDraw, draws.back()); // 123,664 draws, then this one

    // Grid texel (x, y) takes draw 256 x + y: the columns run in the outer loop.
    const Texture& grid = *textures().at(65536);
    EXPECT_EQ(getTexel(grid, 1, 2), static_cast<std::uint32_t>(std::lrint(draws[256 + 2] * 16777215.0)));
    EXPECT_EQ(getTexel(grid, 2, 1), static_cast<std::uint32_t>(std::lrint(draws[512 + 1] * 16777215.0)));

    // Cube 1: 24 shades, then y, then x, then the angles az, ay, ax.
    const double* r = &draws[kTextureDraws];
    const Vertex* firstVertex = cube(1).vertices;
    while (firstVertex->next)
        firstVertex = firstVertex->next;
    EXPECT_EQ(firstVertex->shade, static_cast<float>(r[0] * 256.0));
    EXPECT_EQ(cube(1).position.y, static_cast<float>(r[24] * 14000.0 - 7000.0));
    EXPECT_EQ(cube(1).position.x, static_cast<float>(r[25] * 14000.0 - 7000.0));
    auto attitude = createCamera();
    rotateObjectLocal(*attitude, static_cast<float>(r[28] * 360.0), static_cast<float>(r[27] * 360.0),
                      static_cast<float>(r[26] * 360.0));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(cube(1).orientation[row][column], attitude->orientation[row][column]);
}

TEST_F(DemoScene, TexturesHaveTheirPatternsAndChains)
{
    auto byArea = textures();
    ASSERT_EQ(byArea.size(), 3u);
    const Texture& grid = *byArea.at(65536);
    const Texture& waves = *byArea.at(16384);
    const Texture& strips = *byArea.at(128);
    EXPECT_EQ(levels(&grid), 9);
    EXPECT_EQ(levels(&waves), 8);
    EXPECT_EQ(levels(&strips), 4);

    // White exactly on every eighth row and column: a random colour is at
    // most 16776703, never white.
    for (const Texture* t : {&grid, &strips})
        for (int y = 0; y < t->height; ++y)
            for (int x = 0; x < t->width; ++x)
                ASSERT_EQ(getTexel(*t, x, y) == 0xFFFFFF, x % 8 == 0 || y % 8 == 0) << x << "," << y;
    EXPECT_EQ(strips.width, 8);
    EXPECT_EQ(strips.height, 16);

    EXPECT_EQ(getTexel(waves, 0, 0), 127u);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            ASSERT_LE(getTexel(waves, x, y), 254u);
}

TEST_F(DemoScene, HasTwoThousandCubesOnALineOfDepth)
{
    EXPECT_EQ(scene->objectCount, 2000);
    ASSERT_EQ(cubes.size(), 2000u);
    for (int k = 1; k <= 2000; ++k) {
        const SceneObject& c = cube(k);
        ASSERT_EQ(c.position.z, float(7000 - 7 * k)) << k;
        ASSERT_GE(c.position.x, -7000.0f);
        ASSERT_LT(c.position.x, 7000.0f);
        ASSERT_GE(c.position.y, -7000.0f);
        ASSERT_LT(c.position.y, 7000.0f);
    }
    EXPECT_EQ(scene->objects->position.z, -7000.0f);
    EXPECT_EQ(cubes.back()->position.z, 6993.0f);

    ASSERT_NE(scene->lights, nullptr);
    EXPECT_EQ(scene->lights->next, nullptr);
    EXPECT_EQ(scene->lights->position.x, 500.0f);
    EXPECT_EQ(scene->lights->position.y, 300.0f);
    EXPECT_EQ(scene->lights->position.z, -800.0f);
    EXPECT_EQ(scene->lights->vertices, nullptr);
    EXPECT_EQ(scene->lights->faces, nullptr);
}

TEST_F(DemoScene, EveryCubeIsClosedWithOutwardNormals)
{
    const float radius = static_cast<float>(std::sqrt(3.0 * 150.0 * 150.0));
    for (const SceneObject* c : cubes) {
        ASSERT_EQ(count(c->vertices), 24);
        EXPECT_EQ(c->radius, radius);
        std::map<float, int> facesPerArea;
        for (const Face* f = c->faces; f; f = f->next) {
            ++facesPerArea[f->texelArea];
            // Outward: the normal points the way of the face's corners from
            // the centre, and every corner carries the same normal.
            const Vertex* a = f->corner1;
            ASSERT_GT(f->normal.x * a->x + f->normal.y * a->y + f->normal.z * a->z, 0.0f);
            for (const Vertex* v : {f->corner1, f->corner2, f->corner3}) {
                ASSERT_EQ(v->normal.x, f->normal.x);
                ASSERT_EQ(v->normal.y, f->normal.y);
                ASSERT_EQ(v->normal.z, f->normal.z);
            }
        }
        EXPECT_EQ(facesPerArea, (std::map<float, int>{{128, 4}, {16384, 4}, {65536, 4}}));
    }
}

TEST_F(DemoScene, OnlyTheNewestThreeCubesFormAChain)
{
    const SceneObject* head = scene->objects;
    ASSERT_NE(head->children, nullptr);
    EXPECT_EQ(head->children->child, head->next);
    EXPECT_EQ(head->children->next, nullptr);
    ASSERT_NE(head->next->children, nullptr);
    EXPECT_EQ(head->next->children->child, head->next->next);
    EXPECT_EQ(head->next->children->next, nullptr);
    for (const SceneObject* o = head->next->next; o; o = o->next)
        ASSERT_EQ(o->children, nullptr);
}

TEST(DemoSceneRuns, TwoBuildsAreTheSame)
{
    restartRandom();
    auto first = buildDemoScene();
    restartRandom();
    auto second = buildDemoScene();
    for (SceneObject *a = first->objects, *b = second->objects; a || b; a = a->next, b = b->next) {
        ASSERT_TRUE(a && b);
        ASSERT_EQ(std::memcmp(&a->position, &b->position, sizeof a->position), 0);
        ASSERT_EQ(std::memcmp(a->orientation, b->orientation, sizeof a->orientation), 0);
        for (Vertex *u = a->vertices, *v = b->vertices; u; u = u->next, v = v->next)
            ASSERT_EQ(u->shade, v->shade);
    }
}
