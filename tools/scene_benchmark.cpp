// Benchmarks of the scene: building the demonstration and one update step.
#include "app/animation.h"
#include "runtime/random.h"
#include "scene/demo_scene.h"
#include "scene/scene.h"

#include <benchmark/benchmark.h>

namespace {

// The whole start-up work of the scene: textures, mip chains and 2000 cubes.
void BM_BuildDemoScene(benchmark::State& state)
{
    for (auto _ : state) {
        restartRandom();
        auto scene = buildDemoScene();
        benchmark::DoNotOptimize(scene.get());
    }
}
BENCHMARK(BM_BuildDemoScene)->Unit(benchmark::kMillisecond);

// One fixed update step: the camera and 2000 cubes move and turn.
void BM_AdvanceAnimation(benchmark::State& state)
{
    restartRandom();
    auto scene = buildDemoScene();
    auto camera = createCamera();
    for (auto _ : state) {
        advanceAnimation(*scene, *camera);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AdvanceAnimation)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
