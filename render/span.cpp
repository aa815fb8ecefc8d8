// The row set-up and the pixel loop: the scalar reference.
#include "render/span.h"

#include "render/light.h"
#include "runtime/floating_point.h"

#include <bit>

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
        std::int32_t s = roundWithin(q * (e * gS + s0), kLightFloor, kFullLight);
        colourRow[x] = shadeTexel(texel, static_cast<std::uint32_t>(s));
        ++drawn;
    }
    return drawn;
}

namespace {

// Per row: the span's columns and the gradients along it. False when the
// row has no column in the buffer.
bool setUpSpan(const WalkedRow& row, std::int32_t width, Span& span)
{
    span.xs = roundWithin(row.xl + static_cast<double>(kSpanOffset), -1.0, width);
    span.xe = roundWithin(row.xr - static_cast<double>(kSpanOffset), -1.0, width);
    if (span.xe >= width)
        span.xe = width - 1;
    if (span.xs < 0)
        span.xs = 0;
    if (span.xs > span.xe)
        return false;

    // From the unrounded edges: a zero-width row gives infinities here, and
    // its pixels then fail the depth test on a NaN 1/z.
    double h = 1.0 / (static_cast<double>(row.xr) - row.xl);
    span.xl = row.xl;
    span.gInvZ = h * row.dInvZ;
    span.gU = roundToFloat(h * row.dU);
    span.gV = roundToFloat(h * row.dV);
    span.gS = roundToFloat(h * row.dS);
    span.invZ = row.invZ;
    span.u = row.u;
    span.v = row.v;
    span.s = row.s;
    return true;
}

} // namespace

std::int64_t drawRowsScalar(const RowBatch& rows, const RowTarget& target)
{
    std::int64_t drawn = 0;
    for (int i = 0; i < rows.count; ++i) {
        Span span;
        if (!setUpSpan(rows.row[i], target.width, span))
            continue;
        const std::size_t row = static_cast<std::size_t>(rows.y[i]) * static_cast<std::size_t>(target.width);
        drawn += drawSpanScalar(span, target.level, target.colour + row, target.depth + row);
    }
    return drawn;
}
