// The demonstration scene: three textures, one light and 2000 cubes.
#include "scene/demo_scene.h"

#include "geometry/normals.h"
#include "geometry/transforms.h"
#include "runtime/floating_point.h"
#include "runtime/random.h"
#include "scene/scene.h"
#include "texture/texture.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr std::int32_t kCubeCount = 2000;
constexpr float kHalfSide = 150.0f;     // cubes of side 300
constexpr double kSpread = 14000.0;     // cubes lie at x and y in [-7000, 7000)
constexpr std::int32_t kDepthStart = 7000; // cube k stands at z = 7000 - 7k
constexpr std::int32_t kDepthStep = 7;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr Vec3 kLightPosition = {500.0f, 300.0f, -800.0f};

// The eight corners shared by the three groups of a cube, in order of creation.
constexpr Vec3 kCorners[8] = {
    {-kHalfSide, -kHalfSide, -kHalfSide}, {-kHalfSide, -kHalfSide, kHalfSide},
    {kHalfSide, -kHalfSide, kHalfSide},   {kHalfSide, -kHalfSide, -kHalfSide},
    {-kHalfSide, kHalfSide, -kHalfSide},  {-kHalfSide, kHalfSide, kHalfSide},
    {kHalfSide, kHalfSide, kHalfSide},    {kHalfSide, kHalfSide, -kHalfSide},
};

// One group of a cube: its own eight corners with their texture coordinates,
// and four faces covering two opposite sides, given as corner numbers 1..8
// whose cross product (2 - 1) x (3 - 1) points out of the cube.
struct Group {
    float uv[8][2];
    int faces[4][3];
};

constexpr Group kGroups[3] = {
    // z = +150 and z = -150, painted with the grid
    {{{0, 1}, {0, 1}, {1, 1}, {1, 1}, {0, 0}, {0, 0}, {1, 0}, {1, 0}},
     {{2, 3, 7}, {7, 6, 2}, {4, 1, 5}, {5, 8, 4}}},
    // x = -150 and x = +150, painted with the wave
    {{{0, 0}, {0, 1}, {0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 0}, {1, 1}},
     {{1, 2, 6}, {6, 5, 1}, {3, 4, 8}, {8, 7, 3}}},
    // y = +150 and y = -150, painted with the strips
    {{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}, {0, 1}, {1, 1}, {1, 0}},
     {{5, 6, 7}, {7, 8, 5}, {1, 4, 3}, {3, 2, 1}}},
};

// The largest colour 0x00RRGGBB, white.
constexpr double kLargestColour = 0xFFFFFF; // 16777215

// A random colour 0x00RRGGBB from one draw.
std::uint32_t randomColour()
{
    return static_cast<std::uint32_t>(std::lrint(randomFraction() * kLargestColour));
}

// Random colours with white lines along every eighth column and row. Every
// texel takes a draw, white ones included, column by column.
void paintGrid(Texture& texture)
{
    for (std::int32_t x = 0; x < texture.width; ++x) {
        for (std::int32_t y = 0; y < texture.height; ++y) {
            setTexel(texture, x, y, randomColour());
            if (x % 8 == 0 || y % 8 == 0)
                setTexel(texture, x, y, kWhite);
        }
    }
}

// Blue waves from 0 to 254; no draws.
void paintWaves(Texture& texture)
{
    for (std::int32_t x = 0; x < texture.width; ++x) {
        for (std::int32_t y = 0; y < texture.height; ++y) {
            double blue = 127.0 + std::sin(y / 8.0) * std::cos(x / 9.0) * 127.0;
            setTexel(texture, x, y, static_cast<std::uint32_t>(std::lrint(blue)));
        }
    }
}

void addGroup(SceneObject& cube, const Group& group, Texture* texture)
{
    Vertex* corner[8];
    for (int i = 0; i < 8; ++i)
        corner[i] = addVertex(cube, kCorners[i].x, kCorners[i].y, kCorners[i].z, group.uv[i][0], group.uv[i][1]);
    for (const auto& face : group.faces)
        addFace(cube, corner[face[0] - 1], corner[face[1] - 1], corner[face[2] - 1], texture);
}

// Cube k: its mesh, then a random place on its depth line, then a random
// attitude. 29 draws: 24 shades, y then x, then the three angles az, ay, ax.
void addCube(Scene& scene, std::int32_t k, Texture* const (&textures)[3])
{
    SceneObject& cube = *addObject(scene);
    for (int g = 0; g < 3; ++g)
        addGroup(cube, kGroups[g], textures[g]);

    float z = static_cast<float>(kDepthStart - kDepthStep * k);
    float y = roundToFloat(randomFraction() * kSpread - kSpread / 2);
    float x = roundToFloat(randomFraction() * kSpread - kSpread / 2);
    setObjectPosition(cube, x, y, z);

    float az = roundToFloat(randomFraction() * 360.0);
    float ay = roundToFloat(randomFraction() * 360.0);
    float ax = roundToFloat(randomFraction() * 360.0);
    rotateObjectLocal(cube, ax, ay, az);

    computeNormals(cube);
}

} // namespace

std::unique_ptr<Scene> buildDemoScene()
{
    // The scene comes first only to own the textures; it takes no draws.
    auto scene = createScene();

    Texture* grid = addTexture(*scene, 256, 256, 0);
    Texture* strips = addTexture(*scene, 8, 16, 0);
    Texture* waves = addTexture(*scene, 128, 128, 0);
    paintGrid(*grid);   // 65,536 draws
    paintGrid(*strips); // 128 draws
    paintWaves(*waves);
    buildMipChain(*grid);
    buildMipChain(*strips);
    buildMipChain(*waves);

    SceneObject* light = addLight(*scene);
    setObjectPosition(*light, kLightPosition.x, kLightPosition.y, kLightPosition.z);

    Texture* const groupTextures[3] = {grid, waves, strips};
    for (std::int32_t k = 1; k <= kCubeCount; ++k)
        addCube(*scene, k, groupTextures);

    // The newest three cubes fly as one chain: each carries the next along.
    SceneObject* head = scene->objects;
    attachChild(*head, *head->next);
    attachChild(*head->next, *head->next->next);
    return scene;
}
