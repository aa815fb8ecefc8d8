// Speed of the row converters, block and per-pixel paths, beside memcpy of the same bytes.
#include "display/converters.h"
#include "display/converters_paths.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr std::int32_t kRowPixels = 640;

// The copy that convertCopy32 is measured against.
void copyWithMemcpy(const std::uint32_t* source, void* destination, std::int32_t count)
{
    std::memcpy(destination, source, static_cast<std::size_t>(count) * sizeof *source);
}

// Converts the argument's number of 640-pixel rows (1: one row that stays in
// the cache; 480: a whole frame) and reports pixels per second.
void convertRows(benchmark::State& state, RowConverter convert)
{
    const auto rows = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint32_t> cells(rows * kRowPixels);
    std::mt19937 generator(12345);
    for (std::uint32_t& cell : cells)
        cell = generator();
    std::vector<std::uint8_t> pixels(cells.size() * sizeof(std::uint32_t));

    for (auto _ : state) {
        for (std::size_t row = 0; row < rows; ++row)
            convert(&cells[row * kRowPixels], &pixels[row * kRowPixels * 4], kRowPixels);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows * kRowPixels));
}

} // namespace

#define CONVERTER_BENCHMARK(name)                                                   \
    BENCHMARK_CAPTURE(convertRows, name, name)->Arg(1)->Arg(480);                   \
    BENCHMARK_CAPTURE(convertRows, name##_per_pixel, plain::name)->Arg(1)->Arg(480)

BENCHMARK_CAPTURE(convertRows, memcpy, copyWithMemcpy)->Arg(1)->Arg(480);
CONVERTER_BENCHMARK(convertCopy32);
#if TESSIK_X86_SIMD
BENCHMARK_CAPTURE(convertRows, convertCopy32Sse2, convertCopy32Sse2)->Arg(1)->Arg(480);
#endif
CONVERTER_BENCHMARK(convertSwap32);
CONVERTER_BENCHMARK(convertPack24);
CONVERTER_BENCHMARK(convertPack24Swap);
CONVERTER_BENCHMARK(convertRgb565);
CONVERTER_BENCHMARK(convertBgr565);
CONVERTER_BENCHMARK(convertRgb555);
CONVERTER_BENCHMARK(convertBgr555);

BENCHMARK_MAIN();
