// The pixel loop of one row: what the row level hands it, and its paths.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// One row's span, as the rasterizer's row level computes it: its columns,
// the left edge, and how each value changes per column. Every column's
// values are formed from these alone, never from the column before, so a
// loop may draw the columns in any grouping and get the same pixels.
struct Span {
    std::int32_t xs, xe; // first and last column, inside the row (none if xe < xs)
    double xl;           // the unrounded left edge: column x lies e = x - xl from it
    double gInvZ;        // change of 1/z per column
    float invZ;          // 1/z on the left edge
    float gU, gV, gS;    // change per column of u/z, v/z and shade/z
    float u, v, s;       // u/z, v/z and shade/z on the left edge
};

// The mip level a span samples. Texel (c, r) is
// texels[(r & vMask) << widthLog2 | (c & uMask)], so any c and r wrap
// around the level.
struct SpanLevel {
    const std::uint32_t* texels;
    std::uint32_t uMask;   // level width - 1
    std::uint32_t vMask;   // level height - 1
    std::int32_t widthLog2;
};

// The light factor of a pixel (256 = full light) never drops below this, so
// surfaces turned away from the light stay faintly visible.
constexpr std::int32_t kLightFloor = 20;

constexpr double kInt32Low = std::numeric_limits<std::int32_t>::min();
constexpr double kInt32High = std::numeric_limits<std::int32_t>::max();

// Rounds r to the nearest integer, ties to even, after limiting it to
// [lo, hi] (whole numbers inside the 32-bit range), so that the conversion
// is defined whatever r holds; NaN gives lo. Within the limits the result is
// the plain rounded value.
inline std::int32_t roundWithin(double r, double lo, double hi)
{
    r = r > lo ? r : lo; // written so that NaN takes lo
    r = r < hi ? r : hi;
    return static_cast<std::int32_t>(std::lrint(r));
}

// Draws the span's pixels into one row of the colour buffer and the same
// row of the depth buffer: a column whose 1/z is at least its depth cell's
// (NaN never is) takes that 1/z and the light-scaled texel. Touches only
// the cells xs..xe of the rows. Returns the number of pixels drawn.
using SpanLoop = std::int64_t (*)(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                                  std::uint32_t* depthRow);

// The reference loop, one pixel at a time in plain C++; the vector loops
// give exactly its pixels.
std::int64_t drawSpanScalar(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                            std::uint32_t* depthRow);

#if TESSIK_X86_SIMD
// Four pixels a step in SSE2 lanes (every x86-64 CPU has them).
std::int64_t drawSpanSse2(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow);
// Eight pixels a step in AVX2 lanes: only on CPUs that have AVX2.
std::int64_t drawSpanAvx2(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow);
#endif

// Which loop the rasterizer runs. By default the fastest one this build
// and CPU offer; tests and the frame tool may choose another to compare.
enum class SpanPath { scalar, sse2, avx2 };

// Whether the path is compiled into this build and the CPU can run it.
bool spanPathAvailable(SpanPath path);
// The fastest available path: AVX2, else SSE2, else scalar.
SpanPath fastestSpanPath();
// Makes the rasterizer use `path` from now on, in every thread; returns
// false and changes nothing when the path is not available. Call it between
// frames, not while one is drawn.
bool useSpanPath(SpanPath path);
// The path in use, and its loop.
SpanPath currentSpanPath();
SpanLoop currentSpanLoop();
// "scalar", "sse2" or "avx2".
const char* spanPathName(SpanPath path);
