// The row level's hand-over and the pixel loop: rows walked down a triangle's
// edges, each row's span, and the scalar reference loops.
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
// Texels are scaled as shadeTexel in render/light.h scales them.
using SpanLoop = std::int64_t (*)(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                                  std::uint32_t* depthRow);

// The reference loop, one pixel at a time in plain C++; the vector loops
// give exactly its pixels.
std::int64_t drawSpanScalar(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                            std::uint32_t* depthRow);

// One row as the edge walk leaves it: its edges, and its attributes' left
// values and differences right minus left, all unrounded floats. Laid out
// as the walk keeps them, four values to a vector, the way a half's own
// record holds them (render/rasterizer.h).
struct WalkedRow {
    float xl, xr;
    float dxl, dxr;          // the edges' change per row, carried along
    float invZ, u, v, s;     // on the left edge
    float dInvZ, dU, dV, dS; // right minus left
};

// Rows of a triangle, up to kRows at a time, for the row loops. Vector lanes
// set up several rows' spans at once; the rows need not follow one another.
struct RowBatch {
    // A multiple of every instruction set's kPixels (render/lanes.h). Most
    // of the demo's triangles have fewer rows, so most send one batch: each
    // batch costs a call and the row loop's start.
    static constexpr int kRows = 16;
    int count = 0;
    std::int32_t y[kRows] = {};
    WalkedRow row[kRows] = {};
};

// Where a batch's rows are drawn and what they sample.
struct RowTarget {
    std::uint32_t* colour;
    std::uint32_t* depth; // floats, kept as their bits
    std::int32_t width;
    SpanLevel level;
};

// The first and last column of a row whose edges lie at xl and xr: the
// nearest columns inside the edges by 0.499 of a column, a float like the
// edges (a column centre that lies exactly on an edge belongs to the row),
// cut to the row's width.
constexpr float kSpanOffset = 0.499f;

// Sets up the span of every row of the batch and draws its pixels: row i's
// columns from its edges, then h = 1 / (xr - xl) in double from the
// unrounded edges and the gradients h times each difference, gInvZ kept in
// double and the others rounded to floats. Returns the pixels drawn.
using RowLoop = std::int64_t (*)(const RowBatch& rows, const RowTarget& target);

// The reference, one row at a time in plain C++; the vector row loops set
// up and draw exactly its spans.
std::int64_t drawRowsScalar(const RowBatch& rows, const RowTarget& target);

// The vector loops and the choice among them: render/span_paths.h.
