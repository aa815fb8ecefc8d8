// The pixel loop in vector lanes: one body for every instruction set,
// written against the lane primitives of render/lanes.h.
//
// Each lane computes what the scalar loop in span.cpp computes for its
// column, with the same double operations in the same order, the same
// limits before each conversion and the same 32-bit integer arithmetic, so
// the pixels are identical for every input. A step draws L::kPixels pixels.
//
// Included only by the units span_<set>.cpp, after their set's lanes header,
// each unit compiled for its instruction set. Everything here has internal
// linkage (see render/lanes.h).
#pragma once

#include "render/light.h"
#include "render/span.h"

#include <cstdint>

namespace {

// What stays the same along the row, in every lane.
template <class L>
struct RowValues {
    typename L::Doubles xl, gInvZ, invZ, gU, gV, gS, u, v, s, one;
    const std::uint32_t* texels;
    std::uint32_t uMask, vMask;
    std::int32_t shift;
};

template <class L>
RowValues<L> rowValues(const Span& span, const SpanLevel& level)
{
    return {L::broadcast(span.xl), L::broadcast(span.gInvZ), L::broadcast(span.invZ),
            L::broadcast(span.gU), L::broadcast(span.gV),    L::broadcast(span.gS),
            L::broadcast(span.u),  L::broadcast(span.v),     L::broadcast(span.s),
            L::broadcast(1.0),     level.texels,             level.uMask,
            level.vMask,           level.widthLog2};
}

// Per step: the pixels of `count` columns (1 to L::kPixels) whose numbers
// `column` holds, their cells from `colour` and `depth` on. Returns how
// many were drawn.
template <class L>
[[gnu::always_inline]] inline int drawStep(const RowValues<L>& k, typename L::Doubles column, int count,
                                           std::uint32_t* colour, std::uint32_t* depth)
{
    using Doubles = typename L::Doubles;
    using Ints = typename L::Ints;
    using Words = typename L::Words;

    const Doubles e = column - k.xl;
    const Doubles iz = e * k.gInvZ + k.invZ;
    const Words behind = L::load(depth, count);
    // Lanes past count read a depth of 0 and must not count as drawn.
    const int bits = L::atLeast(iz, L::widen(behind)) & ((1 << count) - 1);
    if (bits == 0)
        return 0;
    L::storeWhere(depth, L::narrow(iz), bits, count);

    // Undrawn lanes compute too (NaN, infinities, nothing traps); their
    // results are dropped.
    const Doubles q = k.one / iz;
    const Ints tv = L::round(q * (e * k.gV + k.v), kInt32Low, kInt32High);
    const Ints tu = L::round(q * (e * k.gU + k.u), kInt32Low, kInt32High);
    const Words texel = L::gather(k.texels, (((Words)tv & k.vMask) << k.shift) | ((Words)tu & k.uMask));
    const Ints s = L::round(q * (e * k.gS + k.s), kLightFloor, kFullLight);
    const Words lit = shadeTexel(texel, (Words)s);
    L::storeWhere(colour, lit, bits, count);
    return L::countBits(bits);
}

// A vector step costs about as much as four pixels one at a time, so spans
// of up to three pixels go to the scalar loop.
constexpr int kShortSpan = 3;

// Per row: whole steps over the columns xs .. xe, then one step for the
// columns left over.
template <class L>
[[gnu::always_inline]] inline std::int64_t drawColumns(const RowValues<L>& k, std::int32_t xs, std::int32_t xe, std::uint32_t* colourRow,
                         std::uint32_t* depthRow)
{
    constexpr int n = L::kPixels;
    const typename L::Doubles stride = L::broadcast(n);
    typename L::Doubles column = L::broadcast(xs) + L::offsets();
    std::int64_t drawn = 0;
    std::int32_t x = xs;
    for (; x <= xe - (n - 1); x += n, column = column + stride)
        drawn += drawStep<L>(k, column, n, colourRow + x, depthRow + x);
    if (x <= xe)
        drawn += drawStep<L>(k, column, xe - x + 1, colourRow + x, depthRow + x);
    return drawn;
}

template <class L>
std::int64_t drawSpanLanes(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                           std::uint32_t* depthRow)
{
    if (span.xe - span.xs < kShortSpan)
        return drawSpanScalar(span, level, colourRow, depthRow);
    return drawColumns<L>(rowValues<L>(span, level), span.xs, span.xe, colourRow, depthRow);
}

} // namespace
