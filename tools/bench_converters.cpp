// Speed of the row converters, every layout on every path, beside memcpy of the same bytes.
#include "display/converters.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kRowPixels = 640;

// The copy that the Copy32 layout is measured against.
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

// Every layout on every path this CPU runs, beside memcpy of the same bytes.
int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("convertRows/memcpy", convertRows, copyWithMemcpy)->Arg(1)->Arg(480);
    for (const PixelLayout& layout : pixelLayouts())
        for (const ConverterPath& path : converterPaths())
            if (RowConverter convert = converterOn(path, layout); convert && path.available()) {
                const std::string name = std::string("convertRows/") + layout.name + "/" + path.name;
                benchmark::RegisterBenchmark(name.c_str(), convertRows, convert)->Arg(1)->Arg(480);
            }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
