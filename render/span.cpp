// The pixel loop of one row: the scalar reference and the choice of path.
#include "render/span.h"

#include "runtime/floating_point.h"

#include <atomic>
#include <bit>

namespace {

// The texel scaled by the light factor s (256 = unchanged): each channel
// becomes channel x s / 256, rounded down. The products are unsigned 32-bit.
inline std::uint32_t shadeTexel(std::uint32_t texel, std::uint32_t s)
{
    std::uint32_t redBlue = (((texel & 0x00FF00FFu) * s) >> 8) & 0x00FF00FFu;
    std::uint32_t green = (((texel & 0x0000FF00u) >> 8) * s) & 0x0000FF00u;
    return redBlue | green;
}

} // namespace

std::int64_t drawSpanScalar(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                            std::uint32_t* depthRow)
{
    // Everything the loop reads is copied to locals: the stores into the
    // rows could otherwise alias the records' fields.
    const std::uint32_t* texels = level.texels;
    const std::uint32_t uMask = level.uMask;
    const std::uint32_t vMask = level.vMask;
    const std::int32_t shift = level.widthLog2;
    const std::int32_t xe = span.xe;
    const double xl = span.xl, gInvZ = span.gInvZ;
    const float invZ = span.invZ;
    const float gU = span.gU, gV = span.gV, gS = span.gS;
    const float u = span.u, v = span.v, s0 = span.s;

    std::int64_t drawn = 0;
    for (std::int32_t x = span.xs; x <= xe; ++x) {
        // 1/z from the column's own offset rather than summed along the
        // row: then each column stands alone and vector lanes match it.
        double e = x - xl;
        double iz = e * gInvZ + invZ;
        if (!(iz >= std::bit_cast<float>(depthRow[x]))) // a NaN 1/z fails too
            continue;
        depthRow[x] = std::bit_cast<std::uint32_t>(roundToFloat(iz));
        double q = 1.0 / iz;
        std::int32_t tv = roundWithin(q * (e * gV + v), kInt32Low, kInt32High);
        std::int32_t tu = roundWithin(q * (e * gU + u), kInt32Low, kInt32High);
        std::uint32_t texel =
            texels[((static_cast<std::uint32_t>(tv) & vMask) << shift) | (static_cast<std::uint32_t>(tu) & uMask)];
        std::int32_t s = roundWithin(q * (e * gS + s0), kInt32Low, kInt32High);
        if (s <= kLightFloor)
            s = kLightFloor;
        colourRow[x] = shadeTexel(texel, static_cast<std::uint32_t>(s));
        ++drawn;
    }
    return drawn;
}

namespace {

bool cpuHas(SpanPath path)
{
#if TESSIK_X86_SIMD
    __builtin_cpu_init();
    if (path == SpanPath::avx2)
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    if (path == SpanPath::sse2)
        return true; // part of x86-64
#endif
    return path == SpanPath::scalar;
}

SpanLoop loopOf([[maybe_unused]] SpanPath path)
{
#if TESSIK_X86_SIMD
    if (path == SpanPath::avx2)
        return drawSpanAvx2;
    if (path == SpanPath::sse2)
        return drawSpanSse2;
#endif
    return drawSpanScalar;
}

// The path in use: the fastest until useSpanPath chooses another.
std::atomic<SpanPath>& chosenPath()
{
    static std::atomic<SpanPath> path{fastestSpanPath()};
    return path;
}

} // namespace

bool spanPathAvailable(SpanPath path)
{
    return cpuHas(path);
}

SpanPath fastestSpanPath()
{
    static const SpanPath fastest = cpuHas(SpanPath::avx2)   ? SpanPath::avx2
                                    : cpuHas(SpanPath::sse2) ? SpanPath::sse2
                                                             : SpanPath::scalar;
    return fastest;
}

bool useSpanPath(SpanPath path)
{
    if (!spanPathAvailable(path))
        return false;
    chosenPath().store(path, std::memory_order_relaxed);
    return true;
}

SpanPath currentSpanPath()
{
    return chosenPath().load(std::memory_order_relaxed);
}

SpanLoop currentSpanLoop()
{
    return loopOf(currentSpanPath());
}

const char* spanPathName(SpanPath path)
{
    switch (path) {
    case SpanPath::sse2: return "sse2";
    case SpanPath::avx2: return "avx2";
    case SpanPath::scalar: break;
    }
    return "scalar";
}
