// The row set-up in vector lanes: the spans of several rows at once, one row
// per lane, written once for every instruction set against the lane
// primitives of render/lanes.h.
//
// Each lane computes what the scalar setUpSpan in span.cpp computes for its
// row, with the same double operations, limits and roundings, so the spans
// are identical for every input. Included only by the units span_<set>.cpp,
// after their set's lanes header and render/span_lanes.h; everything here has
// internal linkage (see render/lanes.h).
#pragma once

#include "render/span.h"

#include <bit>
#include <cstdint>

namespace {

// Lanes holding the floats values[0 .. L::kPixels - 1], as doubles.
template <class L>
typename L::Doubles widenRows(const float* values)
{
    return L::widen(L::load(reinterpret_cast<const std::uint32_t*>(values), L::kPixels));
}

// Per row, L::kPixels rows a step: each row's columns and gradients into
// spans[0 .. rows.count - 1], and whatever the lanes past the count give
// into the rest. A row with no column in the buffer gets xs > xe.
template <class L>
void setUpSpans(const RowBatch& rows, std::int32_t width, Span (&spans)[RowBatch::kRows])
{
    static_assert(RowBatch::kRows % L::kPixels == 0, "a batch is a whole number of steps");
    using Doubles = typename L::Doubles;
    using Ints = typename L::Ints;
    const Doubles offset = L::broadcast(kSpanOffset), one = L::broadcast(1.0);
    for (int r = 0; r < rows.count; r += L::kPixels) {
        const Doubles xl = widenRows<L>(rows.xl + r), xr = widenRows<L>(rows.xr + r);
        Ints xs = L::round(xl + offset, -1.0, width);
        Ints xe = L::round(xr - offset, -1.0, width);
        xe = xe >= width ? width - 1 : xe;
        xs = xs < 0 ? 0 : xs;

        // From the unrounded edges, as in the scalar set-up.
        const Doubles h = one / (xr - xl);
        const Doubles gInvZ = h * widenRows<L>(rows.dInvZ + r);
        const auto gU = L::narrow(h * widenRows<L>(rows.dU + r));
        const auto gV = L::narrow(h * widenRows<L>(rows.dV + r));
        const auto gS = L::narrow(h * widenRows<L>(rows.dS + r));
        for (int i = 0; i < L::kPixels; ++i) {
            Span& span = spans[r + i];
            span.xs = xs[i];
            span.xe = xe[i];
            span.xl = xl[i];
            span.gInvZ = gInvZ[i];
            span.gU = std::bit_cast<float>(gU[i]);
            span.gV = std::bit_cast<float>(gV[i]);
            span.gS = std::bit_cast<float>(gS[i]);
            span.invZ = rows.invZ[r + i];
            span.u = rows.u[r + i];
            span.v = rows.v[r + i];
            span.s = rows.s[r + i];
        }
    }
}

// Per batch: the rows' spans set up together, then each span's pixels.
template <class L>
std::int64_t drawRowsLanes(const RowBatch& rows, const RowTarget& t)
{
    Span spans[RowBatch::kRows];
    setUpSpans<L>(rows, t.width, spans);
    std::int64_t drawn = 0;
    for (int i = 0; i < rows.count; ++i) {
        if (spans[i].xs > spans[i].xe)
            continue;
        const std::size_t row = static_cast<std::size_t>(rows.y[i]) * static_cast<std::size_t>(t.width);
        drawn += drawSpanLanes<L>(spans[i], t.level, t.colour + row, t.depth + row);
    }
    return drawn;
}

} // namespace
