// The table of pixel-loop paths and the choice among them.
#include "render/span_paths.h"

#include <atomic>

// The vector pixel and row loops, each set's in its own unit compiled for it
// (span_<set>.cpp). The build defines TESSIK_LANES_<SET> for each set it
// compiles; a set it does not compile appears nowhere. A new instruction
// set adds its loops' declarations here and its row to the table below
// (render/lanes.h tells the whole of it).
#if TESSIK_LANES_SSE2
std::int64_t drawSpanSse2(const Span&, const SpanLevel&, std::uint32_t*, std::uint32_t*);
std::int64_t drawRowsSse2(const RowBatch&, const RowTarget&);
#endif
#if TESSIK_LANES_AVX2
std::int64_t drawSpanAvx2(const Span&, const SpanLevel&, std::uint32_t*, std::uint32_t*);
std::int64_t drawRowsAvx2(const RowBatch&, const RowTarget&);
#endif
#if TESSIK_LANES_NEON
std::int64_t drawSpanNeon(const Span&, const SpanLevel&, std::uint32_t*, std::uint32_t*);
std::int64_t drawRowsNeon(const RowBatch&, const RowTarget&);
#endif
#if TESSIK_LANES_AVX512
std::int64_t drawSpanAvx512(const Span&, const SpanLevel&, std::uint32_t*, std::uint32_t*);
std::int64_t drawRowsAvx512(const RowBatch&, const RowTarget&);
#endif

namespace {

bool always() { return true; }

// The paths, slowest first. The availability checks run in this unit,
// compiled for the baseline CPU, never in the units they guard.
constexpr SpanPath kSpanPaths[] = {
    {"scalar", drawSpanScalar, drawRowsScalar, always},
#if TESSIK_LANES_NEON
    {"neon", drawSpanNeon, drawRowsNeon, always}, // part of 64-bit ARM
#endif
#if TESSIK_LANES_SSE2
    {"sse2", drawSpanSse2, drawRowsSse2, always}, // part of x86-64
#endif
#if TESSIK_LANES_AVX2
    {"avx2", drawSpanAvx2, drawRowsAvx2,
     [] {
         __builtin_cpu_init();
         return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
     }},
#endif
#if TESSIK_LANES_AVX512
    {"avx512", drawSpanAvx512, drawRowsAvx512,
     [] {
         // libgcc's check covers the system too: it asks whether the
         // system saves the mask and 512-bit registers.
         __builtin_cpu_init();
         return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt");
     }},
#endif
};

std::atomic<const SpanPath*>& chosenPath()
{
    static std::atomic<const SpanPath*> path{&fastestSpanPath()};
    return path;
}

} // namespace

std::span<const SpanPath> spanPaths()
{
    return kSpanPaths;
}

const SpanPath& scalarSpanPath()
{
    return kSpanPaths[0];
}

const SpanPath& fastestSpanPath()
{
    static const SpanPath& fastest = [] () -> const SpanPath& {
        const SpanPath* best = &kSpanPaths[0];
        for (const SpanPath& path : kSpanPaths)
            if (path.available())
                best = &path;
        return *best;
    }();
    return fastest;
}

const SpanPath* findSpanPath(std::string_view name)
{
    for (const SpanPath& path : kSpanPaths)
        if (name == path.name)
            return &path;
    return nullptr;
}

bool useSpanPath(const SpanPath& path)
{
    if (!path.available())
        return false;
    chosenPath().store(&path, std::memory_order_relaxed);
    return true;
}

const SpanPath& currentSpanPath()
{
    return *chosenPath().load(std::memory_order_relaxed);
}

SpanLoop currentSpanLoop()
{
    return currentSpanPath().loop;
}

RowLoop currentRowLoop()
{
    return currentSpanPath().rows;
}
