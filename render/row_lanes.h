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

#include <cstddef>
#include <cstdint>

namespace {

// The walk leaves each row's values together; the set-up wants each value
// of L::kPixels rows in lanes, one row per lane. These are the values it
// turns so, as they lie in a WalkedRow: xl and xr, then dInvZ, dU, dV, dS.
template <class L>
struct RowsTurned {
    typename L::Words edges[2], diff[4];
};

template <class L>
RowsTurned<L> turnRows(const WalkedRow* rows)
{
    constexpr std::size_t dInvZ = offsetof(WalkedRow, dInvZ) / sizeof(float);
    static_assert(offsetof(WalkedRow, xl) == 0 && offsetof(WalkedRow, xr) == sizeof(float) &&
                  offsetof(WalkedRow, dS) == (dInvZ + 3) * sizeof(float));
    constexpr std::size_t stride = sizeof(WalkedRow) / sizeof(std::uint32_t);
    const auto* cells = reinterpret_cast<const std::uint32_t*>(rows);
    RowsTurned<L> t;
    L::loadTransposed(cells, stride, t.edges);
    L::loadTransposed(cells + dInvZ, stride, t.diff);
    return t;
}

// The spans' own values of a batch's rows, one array per value: what the
// row set-up adds to the walked values.
struct SpanSetUps {
    std::int32_t xs[RowBatch::kRows], xe[RowBatch::kRows];
    double xl[RowBatch::kRows], gInvZ[RowBatch::kRows];
    float gU[RowBatch::kRows], gV[RowBatch::kRows], gS[RowBatch::kRows];
};

// The lanes of one step, whole, into to[0 .. L::kPixels - 1].
template <class L, class Lanes, class T>
void storeRows(T* to, Lanes lanes)
{
    static_assert(sizeof lanes == L::kPixels * sizeof(T));
    __builtin_memcpy(to, &lanes, sizeof lanes);
}

// A step's doubles in two registers, one after the other: stored register
// by register, as copying the pair whole makes the compiler take it apart.
template <class L, class Half>
void storeRows(double* to, DoublePair<Half> lanes)
{
    static_assert(sizeof lanes == L::kPixels * sizeof(double));
    __builtin_memcpy(to, &lanes.lo, sizeof lanes.lo);
    __builtin_memcpy(to + sizeof lanes.lo / sizeof(double), &lanes.hi, sizeof lanes.hi);
}

// Per row, L::kPixels rows a step: each row's columns and gradients, for
// rows 0 .. rows.count - 1 and whatever the lanes past the count give. A
// row with no column in the buffer gets xs > xe.
template <class L>
void setUpSpans(const RowBatch& rows, std::int32_t width, SpanSetUps& set)
{
    static_assert(RowBatch::kRows % L::kPixels == 0, "a batch is a whole number of steps");
    using Doubles = typename L::Doubles;
    using Ints = typename L::Ints;
    const Doubles offset = L::broadcast(kSpanOffset), one = L::broadcast(1.0);
    for (int r = 0; r < rows.count; r += L::kPixels) {
        const RowsTurned<L> t = turnRows<L>(rows.row + r);
        const Doubles xl = L::widen(t.edges[0]), xr = L::widen(t.edges[1]);
        Ints xs = L::round(xl + offset, -1.0, width);
        Ints xe = L::round(xr - offset, -1.0, width);
        xe = xe >= width ? width - 1 : xe;
        xs = xs < 0 ? 0 : xs;

        // From the unrounded edges, as in the scalar set-up.
        const Doubles h = one / (xr - xl);
        storeRows<L>(set.xs + r, xs);
        storeRows<L>(set.xe + r, xe);
        storeRows<L>(set.xl + r, xl);
        storeRows<L>(set.gInvZ + r, h * L::widen(t.diff[0]));
        storeRows<L>(set.gU + r, L::narrow(h * L::widen(t.diff[1])));
        storeRows<L>(set.gV + r, L::narrow(h * L::widen(t.diff[2])));
        storeRows<L>(set.gS + r, L::narrow(h * L::widen(t.diff[3])));
    }
}

// The values along row i in every lane, as rowValues gives them for its span.
template <class L>
RowValues<L> rowValues(const RowBatch& rows, const SpanSetUps& set, int i, const SpanLevel& level)
{
    const WalkedRow& row = rows.row[i];
    return {L::broadcast(set.xl[i]), L::broadcast(set.gInvZ[i]), L::broadcast(row.invZ),
            L::broadcast(set.gU[i]), L::broadcast(set.gV[i]),    L::broadcast(set.gS[i]),
            L::broadcast(row.u),     L::broadcast(row.v),        L::broadcast(row.s),
            L::broadcast(1.0),       level.texels,               level.uMask,
            level.vMask,             level.widthLog2};
}

// Per batch: the rows' spans set up together, then each span's pixels. Short
// spans stay in lanes too: a partial step costs less here than handing one
// row to the scalar loop.
template <class L>
std::int64_t drawRowsLanes(const RowBatch& rows, const RowTarget& target)
{
    // Copied to locals, as in the scalar loop: the pixels' stores could
    // otherwise alias the records, and their fields would be read anew for
    // every row.
    const RowTarget t = target;
    const int count = rows.count;
    SpanSetUps set;
    setUpSpans<L>(rows, t.width, set);
    std::int64_t drawn = 0;
    for (int i = 0; i < count; ++i) {
        const std::int32_t xs = set.xs[i], xe = set.xe[i];
        if (xs > xe)
            continue;
        const std::size_t row = static_cast<std::size_t>(rows.y[i]) * static_cast<std::size_t>(t.width);
        drawn += drawColumns<L>(rowValues<L>(rows, set, i, t.level), xs, xe, t.colour + row, t.depth + row);
    }
    return drawn;
}

} // namespace
