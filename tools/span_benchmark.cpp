// Benchmarks of the pixel loop: each path on spans of several lengths, with
// every pixel drawn or every pixel hidden behind the depth already there.
#include "render/span_paths.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kRow = 640;
constexpr std::int32_t kRows = 64; // spans go to each row in turn, as a triangle's do
constexpr std::int32_t kLevelLog2 = 8; // a 256 x 256 level

struct Bench {
    std::vector<std::uint32_t> texels, colour, depth;
    SpanLevel level;
    Span span;

    explicit Bench(std::int32_t length)
        : texels(std::size_t{1} << (2 * kLevelLog2)), colour(kRow * kRows), depth(kRow * kRows)
    {
        std::mt19937 bits(7);
        for (std::uint32_t& t : texels)
            t = bits() & 0x00FFFFFF;
        level = {texels.data(), (1u << kLevelLog2) - 1, (1u << kLevelLog2) - 1, kLevelLog2};
        // A wall facing the viewer at depth 2, its texture turned and
        // scaled: 1/z is 0.5 at every column, exactly, so a pixel drawn
        // once passes the depth test again on the next run (equal passes).
        span = {10, 10 + length - 1, 9.7, 0.0, 0.5f, 0.3f, 0.05f, 0.2f, 40.0f, 20.0f, 100.0f};
    }
};

void runSpans(benchmark::State& state, SpanLoop loop, bool hidden)
{
    Bench b(static_cast<std::int32_t>(state.range(0)));
    if (hidden)
        std::fill(b.depth.begin(), b.depth.end(), std::bit_cast<std::uint32_t>(1.0f));
    std::size_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(loop(b.span, b.level, b.colour.data() + row, b.depth.data() + row));
        row = row + kRow < b.depth.size() ? row + kRow : 0;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

// Every pixel loop of the table that this CPU runs, drawn and hidden, at
// several span lengths.
int main(int argc, char** argv)
{
    for (const SpanPath& path : spanPaths()) {
        if (!path.available())
            continue;
        for (bool hidden : {false, true}) {
            const std::string name = std::string(hidden ? "BM_SpanHidden/" : "BM_SpanDrawn/") + path.name;
            benchmark::RegisterBenchmark(name.c_str(), runSpans, path.loop, hidden)
                ->Arg(1)->Arg(4)->Arg(15)->Arg(64)->Arg(600);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
