// The triangle rasterizer: rows, spans, the 1/z depth test, texels and light.
#include "render/rasterizer.h"

#include "render/pixel_buffer.h"
#include "render/span_paths.h"
#include "runtime/floating_point.h"
#include "texture/texture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

// Precision: the edges' working state is kept in floats; each value is
// formed in double from floats and rounded once with roundToFloat, which the
// optimiser cannot skip. Along a span, 1/z and the column offset are double
// (render/span.h).

namespace {

// Offsets from a corner's y to the first and last rows of a half. With ties
// rounding to the even row, an offset of exactly 0.5 would start or end a
// half on a corner lying on a row's centre or skip that row, depending on
// the row's parity; 0.499 makes the upper half include such a row whatever
// its parity. The lower half keeps 0.5, so a middle corner on the centre of
// an even row draws that row in both halves, of an odd row in the upper
// half only.
constexpr double kUpperRowOffset = 0.499;
constexpr double kLowerRowOffset = 0.5;

Attributes attributesOf(const ScreenCorner& c)
{
    return {c.invZ, c.uOverZ, c.vOverZ, c.shadeOverZ};
}

// `a` advanced by f steps of `slope`, each value rounded to a float.
Attributes advance(const Attributes& a, double f, const Attributes& slope)
{
    return {roundToFloat(a.invZ + f * slope.invZ), roundToFloat(a.uOverZ + f * slope.uOverZ),
            roundToFloat(a.vOverZ + f * slope.vOverZ),
            roundToFloat(a.shadeOverZ + f * slope.shadeOverZ)};
}

Attributes difference(const Attributes& a, const Attributes& b)
{
    return {a.invZ - b.invZ, a.uOverZ - b.uOverZ, a.vOverZ - b.vOverZ, a.shadeOverZ - b.shadeOverZ};
}

// How x and the attributes change per row along an edge.
struct EdgeSlope {
    float x;
    Attributes a;
};

EdgeSlope slopeBetween(const ScreenCorner& from, const ScreenCorner& to)
{
    double k = 1.0 / (static_cast<double>(to.y) - from.y);
    return {roundToFloat((static_cast<double>(to.x) - from.x) * k),
            {roundToFloat((static_cast<double>(to.invZ) - from.invZ) * k),
             roundToFloat((static_cast<double>(to.uOverZ) - from.uOverZ) * k),
             roundToFloat((static_cast<double>(to.vOverZ) - from.vOverZ) * k),
             roundToFloat((static_cast<double>(to.shadeOverZ) - from.shadeOverZ) * k)}};
}

// Sets up a half whose edges meet at `apex` with slopes `left` and `right`,
// walked from row y0: the edges are moved from the apex's y to y0 (forward
// from a top apex, backward from a bottom one).
HalfEdges setUpHalf(const ScreenCorner& apex, const EdgeSlope& left, const EdgeSlope& right, std::int32_t y0,
                    std::int32_t y1)
{
    double f = y0 - static_cast<double>(apex.y);
    Attributes a = attributesOf(apex);
    Attributes l = advance(a, f, left.a);
    Attributes r = advance(a, f, right.a);

    HalfEdges h;
    h.y0 = y0;
    h.y1 = y1;
    h.xl = roundToFloat(apex.x + f * left.x);
    h.xr = roundToFloat(apex.x + f * right.x);
    h.dxl = left.x;
    h.dxr = right.x;
    h.left = l;
    h.diff = difference(r, l);
    h.dLeft = left.a;
    h.dDiff = difference(right.a, left.a);
    return h;
}

// Four floats added lane by lane, each lane exactly as one float addition:
// the walk steps four of a row's values at once.
using Floats4 = float __attribute__((vector_size(16)));

// A half's values at one row, laid out as WalkedRow (render/span.h) lays
// them out, or their change per row.
struct Walk {
    Floats4 edges; // xl and xr, then the edges' slopes, which stay as they are
    Floats4 left;  // invZ, u/z, v/z and shade/z on the left edge
    Floats4 diff;  // their differences right minus left
};
static_assert(sizeof(Walk) == sizeof(WalkedRow) && offsetof(Walk, left) == offsetof(WalkedRow, invZ) &&
              offsetof(Walk, diff) == offsetof(WalkedRow, dInvZ));
// The record of a half holds the same four-value groups: the walk loads them whole.
static_assert(offsetof(HalfEdges, xr) == offsetof(HalfEdges, xl) + 4 &&
              offsetof(HalfEdges, dxl) == offsetof(HalfEdges, xl) + 8 &&
              offsetof(HalfEdges, dxr) == offsetof(HalfEdges, xl) + 12 && sizeof(Attributes) == sizeof(Floats4));

// The four floats that start `offset` bytes into the half's record.
Floats4 fourAt(const HalfEdges& h, std::size_t offset)
{
    Floats4 v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(&h) + offset, sizeof v);
    return v;
}

Walk valuesAtFirstRow(const HalfEdges& h)
{
    return {fourAt(h, offsetof(HalfEdges, xl)), fourAt(h, offsetof(HalfEdges, left)),
            fourAt(h, offsetof(HalfEdges, diff))};
}

Walk changePerRow(const HalfEdges& h)
{
    return {Floats4{h.dxl, h.dxr, 0, 0}, fourAt(h, offsetof(HalfEdges, dLeft)), fourAt(h, offsetof(HalfEdges, dDiff))};
}

void stepRow(Walk& w, const Walk& d)
{
    w.edges += d.edges;
    w.left += d.left;
    w.diff += d.diff;
}

// Where a triangle's rows are drawn, and the row loop that draws them.
struct Target {
    RowTarget rows;
    RowLoop drawRows;
};

// Records row y, as the edges stand there, as row i of the batch.
void recordRow(const Walk& w, std::int32_t y, RowBatch& batch, int i)
{
    batch.y[i] = y;
    WalkedRow& row = batch.row[i];
    std::memcpy(&row.xl, &w.edges, sizeof w.edges); // xl, xr, dxl and dxr
    std::memcpy(&row.invZ, &w.left, sizeof w.left);
    std::memcpy(&row.dInvZ, &w.diff, sizeof w.diff);
}

// Per half: walks the edges down the half's rows, as the values of each row
// come from the row before, and hands the rows of the set on in batches,
// each drawn when it is full. The walk stops after the set's last row in
// the half, and a half with none is skipped. The rows left in the batch at
// the end wait for the next half's.
std::int64_t drawHalf(const HalfEdges& h, const Target& t, const RowSet& rows, RowBatch& batch)
{
    if (h.y1 < h.y0)
        return 0;
    std::int64_t drawn = 0;
    int n = batch.count; // kept in a register while the walk fills the batch
    Walk w = valuesAtFirstRow(h);
    const Walk d = changePerRow(h);
    std::int32_t y = h.y0;
    for (RowRun run = runFrom(rows, h.y0); run.first <= h.y1; run = nextRun(rows, run)) {
        for (; y < run.first; ++y) // another thread's rows
            stepRow(w, d);
        const auto last = static_cast<std::int32_t>(std::min<std::int64_t>(run.end - 1, h.y1));
        for (; y <= last; ++y) {
            recordRow(w, y, batch, n);
            if (++n == RowBatch::kRows) {
                batch.count = n;
                drawn += t.drawRows(batch, t.rows);
                n = 0;
            }
            stepRow(w, d);
        }
    }
    batch.count = n;
    return drawn;
}

// The corners' indices from top to bottom; ties keep the face's order.
struct Order {
    int t, m, b;
};

Order orderCorners(const std::array<ScreenCorner, 3>& c)
{
    int t = 0;
    if (c[1].y < c[0].y)
        t = 1;
    if (c[2].y < c[t].y)
        t = 2;
    int b = 2;
    if (c[1].y > c[2].y)
        b = 1;
    if (c[0].y > c[b].y)
        b = 0;
    // t and b always differ: when all three rows are equal, t = 0 and b = 2.
    return {t, 3 - t - b, b};
}

struct RowRange {
    std::int32_t y0, y1;
};

// The rows from round(first) to round(last), cut to the buffer's rows.
RowRange rowsWithin(double first, double last, std::int32_t height)
{
    std::int32_t y0 = roundWithin(first, -1.0, height);
    std::int32_t y1 = roundWithin(last, -1.0, height);
    if (y0 < 0)
        y0 = 0;
    if (y1 >= height)
        y1 = height - 1;
    return {y0, y1};
}

bool isPowerOfTwo(std::int32_t n)
{
    return n > 0 && std::has_single_bit(static_cast<std::uint32_t>(n));
}

} // namespace

bool setUpTriangle(const std::array<ScreenCorner, 3>& corners, const Texture& level, const PixelBuffer& colour,
                   PreparedTriangle& triangle)
{
    // Texel lookups wrap with masks and find rows by shifting.
    if (!level.texels || !isPowerOfTwo(level.width) || !isPowerOfTwo(level.height) || level.widthLog2 < 0 ||
        level.widthLog2 > 30 || level.width != (1 << level.widthLog2))
        return false;
    triangle.level = {level.texels, static_cast<std::uint32_t>(level.width - 1),
                      static_cast<std::uint32_t>(level.height - 1), level.widthLog2};
    const std::int32_t height = colour.height;

    // Per triangle: order the corners, then the slopes of the three edges.
    Order o = orderCorners(corners);
    const ScreenCorner& top = corners[o.t];
    const ScreenCorner& mid = corners[o.m];
    const ScreenCorner& bottom = corners[o.b];
    EdgeSlope longEdge = slopeBetween(top, bottom);

    triangle.upper.y0 = 0;
    triangle.upper.y1 = -1;
    if (mid.y > top.y) {
        EdgeSlope shortEdge = slopeBetween(top, mid);
        // Going down from the top corner, the edge with the smaller slope is
        // on the left.
        bool longLeft = !(shortEdge.x < longEdge.x);
        auto [y0, y1] = rowsWithin(top.y + kUpperRowOffset, mid.y - kUpperRowOffset, height);
        triangle.upper = longLeft ? setUpHalf(top, longEdge, shortEdge, y0, y1)
                                  : setUpHalf(top, shortEdge, longEdge, y0, y1);
    }

    // The lower half is set up afresh from the corners, not continued from
    // the upper one.
    triangle.lower.y0 = 0;
    triangle.lower.y1 = -1;
    if (bottom.y > mid.y) {
        EdgeSlope shortEdge = slopeBetween(mid, bottom);
        // Going up from the bottom corner, the edge with the larger slope is
        // on the left.
        bool longLeft = !(shortEdge.x > longEdge.x);
        auto [y0, y1] = rowsWithin(mid.y + kLowerRowOffset, bottom.y - kLowerRowOffset, height);
        triangle.lower = longLeft ? setUpHalf(bottom, longEdge, shortEdge, y0, y1)
                                  : setUpHalf(bottom, shortEdge, longEdge, y0, y1);
    }
    return triangle.upper.y0 <= triangle.upper.y1 || triangle.lower.y0 <= triangle.lower.y1;
}

std::int64_t drawTriangle(const PreparedTriangle& triangle, PixelBuffer& colour, RowSet rows)
{
    const PixelBuffer* depth = colour.depthBuffer;
    if (!depth || depth->width != colour.width || depth->height != colour.height || !isRowSet(rows))
        return 0;
    const Target t{{colour.cells, depth->cells, colour.width, triangle.level}, currentRowLoop()};
    // The rows of both halves, so that fewer batches go out part-filled. One
    // batch per thread, zeroed once rather than for every triangle: the
    // lanes past a batch's count may hold an earlier triangle's rows.
    thread_local RowBatch batch;
    batch.count = 0;
    std::int64_t drawn = drawHalf(triangle.upper, t, rows, batch) + drawHalf(triangle.lower, t, rows, batch);
    if (batch.count > 0)
        drawn += t.drawRows(batch, t.rows);
    return drawn;
}

std::int64_t rasterizeTriangle(const std::array<ScreenCorner, 3>& corners, const Texture& level,
                               PixelBuffer& colour)
{
    PreparedTriangle triangle;
    if (!setUpTriangle(corners, level, colour, triangle))
        return 0;
    return drawTriangle(triangle, colour);
}
