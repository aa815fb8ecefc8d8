// Prints hashes of the demonstration scene as built and after update steps,
// and of the frames drawn from it.
//
//   scene_hash [steps]    steps defaults to 300
//
// The build compiles this tool twice from the same sources, unoptimised and
// optimised, and a test requires both to print the same lines: every value
// stored as a float must be rounded to float in both, so any difference
// means the optimiser kept some value wider than the code asks for.
#include "app/animation.h"
#include "render/pixel_buffer.h"
#include "render/render_pass.h"
#include "runtime/floating_point.h"
#include "runtime/fnv_hash.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"
#include "texture/texture.h"
#include "tools/frame_hash.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr long kDefaultSteps = 300;
constexpr long kStepsBetweenFrames = 25;

// FNV-1a over the bytes of the values added.
struct Hash : FnvHash {
    template <class T>
    void add(const T& v) { addBytes(&v, sizeof v); }
};

void hashTexture(Hash& hash, const Texture& top)
{
    for (const Texture* level = &top;; level = level->nextLevel) {
        hash.add(level->width);
        hash.add(level->height);
        hash.add(level->widthLog2);
        hash.addBytes(level->texels, sizeof(std::uint32_t) * level->width * level->height);
        if (level->nextLevel == level)
            return;
    }
}

// Everything an object's placement, its mesh and its derived data hold, but
// not its links (addresses differ from run to run).
void hashObject(Hash& hash, const SceneObject& object)
{
    hash.add(object.position);
    hash.add(object.orientation);
    hash.add(object.scale);
    hash.add(object.radius);
    for (const Vertex* v = object.vertices; v; v = v->next) {
        hash.add(v->x);
        hash.add(v->y);
        hash.add(v->z);
        hash.add(v->normal);
        hash.add(v->u);
        hash.add(v->v);
        hash.add(v->shade);
    }
    for (const Face* f = object.faces; f; f = f->next) {
        hash.add(f->texelArea);
        hash.add(f->normal);
    }
}

std::uint64_t hashScene(const Scene& scene, const SceneObject& camera)
{
    Hash hash;
    hash.add(scene.objectCount);
    std::vector<const Texture*> textures; // in order of first use
    for (const SceneObject* object = scene.objects; object; object = object->next) {
        hashObject(hash, *object);
        for (const Face* f = object->faces; f; f = f->next)
            if (std::find(textures.begin(), textures.end(), f->texture) == textures.end())
                textures.push_back(f->texture);
    }
    for (const SceneObject* light = scene.lights; light; light = light->next)
        hashObject(hash, *light);
    hashObject(hash, camera);
    for (const Texture* texture : textures)
        hashTexture(hash, *texture);
    return hash.value;
}

// Draws the frame the camera sees now and fingerprints it.
std::uint64_t hashFrame(Scene& scene, const SceneObject& camera, PixelBuffer& colour)
{
    renderScene(scene, camera, colour);
    std::uint64_t hash = frameHash(colour);
    clearFrame(colour);
    return hash;
}

} // namespace

int main(int argc, char** argv)
{
    long steps = kDefaultSteps;
    if (argc > 2 || (argc == 2 && (steps = std::strtol(argv[1], nullptr, 10)) < 0)) {
        std::fprintf(stderr, "usage: %s [steps]\n", argv[0]);
        return 2;
    }
    initFloatingPoint();

    auto scene = buildDemoScene();
    auto camera = createCamera();
    auto depth = createPixelBuffer(640, 480, nullptr);
    auto colour = createPixelBuffer(640, 480, depth.get());
    std::printf("built %016llx\n", static_cast<unsigned long long>(hashScene(*scene, *camera)));
    std::printf("frame 0 %016llx\n", static_cast<unsigned long long>(hashFrame(*scene, *camera, *colour)));
    for (long step = 1; step <= steps; ++step) {
        advanceAnimation(*scene, *camera);
        if (step % 100 == 0 || step == steps)
            std::printf("step %ld %016llx\n", step, static_cast<unsigned long long>(hashScene(*scene, *camera)));
        if (step % kStepsBetweenFrames == 0 || step == steps)
            std::printf("frame %ld %016llx\n", step,
                        static_cast<unsigned long long>(hashFrame(*scene, *camera, *colour)));
    }
    return 0;
}
