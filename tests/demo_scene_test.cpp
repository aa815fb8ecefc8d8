// The demonstration scene: its draws, textures, cubes, chain and light.
#include "geometry/transforms.h"
#include "runtime/random.h"
#include "scene/demo_scene.h"
#include "scene_checks.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Demo {
    std::unique_ptr<Scene> scene;
    double nextDraw;                    // the first draw after the build
    std::vector<const SceneObject*> cube; // cube[k - 1] is cube k
    std::map<float, const Texture*> textureOfArea;
};

// Built once, from a fresh generator, for all the tests below.
const Demo& demo()
{
    static const Demo built = [] {
        Demo d;
        restartRandom();
        d.scene = buildDemoScene();
        d.nextDraw = randomFraction();
        for (const SceneObject* o = d.scene->objects; o; o = o->next)
            d.cube.insert(d.cube.begin(), o);
        for (const Face* f = d.cube[0]->faces; f; f = f->next)
            d.textureOfArea[f->texelArea] = f->texture;
        return d;
    }();
    return built;
}

int levels(const Texture* t) { return t->nextLevel == t ? 1 : 1 + levels(t->nextLevel); }

} // namespace

TEST(DemoScene, TakesItsDrawsInOrder)
{
    const Demo& d = demo();
    restartRandom();
    std::vector<double> r(65664 + 2000 * 29 + 1);
    for (double& draw : r)
        draw = randomFraction();
    EXPECT_EQ(d.nextDraw, r.back()); // 123,664 draws, then this one

    // Grid texel (x, y) takes draw 256 x + y: the columns are the outer loop.
    const Texture& grid = *d.textureOfArea.at(65536);
    EXPECT_EQ(getTexel(grid, 2, 1), static_cast<std::uint32_t>(std::lrint(r[512 + 1] * 16777215.0)));

    // Cube 1: 24 shades, then y, then x, then the angles az, ay, ax.
    const double* c = &r[65664];
    EXPECT_EQ(d.cube[0]->vertices->shade, static_cast<float>(c[23] * 256.0));
    EXPECT_EQ(d.cube[0]->position.y, static_cast<float>(c[24] * 14000.0 - 7000.0));
    EXPECT_EQ(d.cube[0]->position.x, static_cast<float>(c[25] * 14000.0 - 7000.0));
    auto attitude = createCamera();
    rotateObjectLocal(*attitude, static_cast<float>(c[28] * 360.0), static_cast<float>(c[27] * 360.0),
                      static_cast<float>(c[26] * 360.0));
    EXPECT_EQ(values(d.cube[0]->orientation), values(attitude->orientation));
}

TEST(DemoScene, TexturesHaveTheirPatternsAndChains)
{
    const auto& textures = demo().textureOfArea;
    ASSERT_EQ(textures.size(), 3u);
    const Texture& grid = *textures.at(65536);
    const Texture& waves = *textures.at(16384);
    const Texture& strips = *textures.at(128);
    EXPECT_EQ((std::array{levels(&grid), levels(&waves), levels(&strips)}), (std::array{9, 8, 4}));
    EXPECT_EQ(std::pair(strips.width, strips.height), std::pair(8, 16));
    // White exactly on every eighth row and column (a random colour is at
    // most 16776703, never white); blue waves of 0 to 254.
    for (const Texture* t : {&grid, &strips})
        for (int y = 0; y < t->height; ++y)
            for (int x = 0; x < t->width; ++x)
                ASSERT_EQ(getTexel(*t, x, y) == 0xFFFFFF, x % 8 == 0 || y % 8 == 0) << x << "," << y;
    EXPECT_EQ(getTexel(waves, 0, 0), 127u);
    for (int i = 0; i < 128 * 128; ++i)
        ASSERT_LE(waves.texels[i], 254u);
}

TEST(DemoScene, HasTwoThousandClosedCubesOnALineOfDepthAChainOfThreeAndOneLight)
{
    const Demo& d = demo();
    EXPECT_EQ(d.scene->objectCount, 2000);
    ASSERT_EQ(d.cube.size(), 2000u);
    EXPECT_EQ(d.cube[0]->position.z, 6993.0f);
    EXPECT_EQ(d.cube[1999]->position.z, -7000.0f);
    const float radius = static_cast<float>(std::sqrt(3.0 * 150.0 * 150.0));
    for (int k = 1; k <= 2000; ++k) {
        const SceneObject& cube = *d.cube[k - 1];
        ASSERT_EQ(cube.position.z, float(7000 - 7 * k));
        ASSERT_TRUE(std::fabs(cube.position.x) <= 7000.0f && std::fabs(cube.position.y) <= 7000.0f);
        ASSERT_EQ(cube.radius, radius);
        // Only cube 2000 and 1999 have a child: the cube made before them.
        ASSERT_EQ(cube.children != nullptr, k >= 1999);
        if (cube.children) {
            ASSERT_TRUE(cube.children->child == cube.next && !cube.children->next);
        }
        int vertices = 0;
        for (const Vertex* v = cube.vertices; v; v = v->next)
            ++vertices;
        ASSERT_EQ(vertices, 24);
        std::map<float, int> facesPerArea;
        for (const Face* f = cube.faces; f; f = f->next) {
            ++facesPerArea[f->texelArea];
            // The normal points away from the centre; every corner carries it.
            const Vertex* a = f->corner1;
            ASSERT_GT(f->normal.x * a->x + f->normal.y * a->y + f->normal.z * a->z, 0.0f);
            for (const Vertex* v : {f->corner1, f->corner2, f->corner3})
                ASSERT_EQ(values(v->normal), values(f->normal));
        }
        ASSERT_EQ(facesPerArea, (std::map<float, int>{{128, 4}, {16384, 4}, {65536, 4}}));
    }
    const SceneObject* light = d.scene->lights;
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(values(light->position), (Floats3{500, 300, -800}));
    EXPECT_TRUE(!light->next && !light->vertices && !light->faces);
}
