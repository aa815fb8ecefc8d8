// The pixel loop in vector lanes: one body for SSE2 and for AVX2.
//
// Each lane computes what the scalar loop in span.cpp computes for its
// column, with the same double operations in the same order, the same
// limits before each conversion and the same 32-bit integer arithmetic, so
// the pixels are identical for every input. A step draws as many pixels as
// a register holds 32-bit lanes, four with SSE2 and eight with AVX2; their
// doubles take two registers, the step's lower and upper half.
//
// Included only by span_sse2.cpp and span_avx2.cpp, each compiled for its
// instruction set. Everything here has internal linkage and calls nothing
// but intrinsics and builtins: an inline function from a shared header,
// compiled in the AVX2 unit, could be the copy the linker keeps for the
// whole program and then fail on a CPU without AVX2.
#pragma once

#include "render/span.h"

#include <immintrin.h>

#include <cstdint>

namespace {

enum class Isa { sse2, avx2 };

template <Isa isa>
struct Lanes;

// Ints and Words are one 32-bit lane per pixel of a step, with the usual
// operators (a vector extension of GCC and Clang); Half holds the doubles of
// half a step.
template <>
struct Lanes<Isa::sse2> {
    static constexpr int kPixels = 4;
    using Ints = std::int32_t __attribute__((vector_size(16)));
    using Words = std::uint32_t __attribute__((vector_size(16)));
    using Half = __m128d;
    static constexpr Ints kLaneBits{1, 2, 4, 8};
};

template <>
struct Lanes<Isa::avx2> {
    static constexpr int kPixels = 8;
    using Ints = std::int32_t __attribute__((vector_size(32)));
    using Words = std::uint32_t __attribute__((vector_size(32)));
    using Half = __m256d;
    static constexpr Ints kLaneBits{1, 2, 4, 8, 16, 32, 64, 128};
};

// The doubles of a step's pixels, in two registers.
template <Isa isa>
struct Doubles {
    typename Lanes<isa>::Half lo, hi;
};

template <Isa isa>
Doubles<isa> operator+(Doubles<isa> a, Doubles<isa> b) { return {a.lo + b.lo, a.hi + b.hi}; }
template <Isa isa>
Doubles<isa> operator-(Doubles<isa> a, Doubles<isa> b) { return {a.lo - b.lo, a.hi - b.hi}; }
template <Isa isa>
Doubles<isa> operator*(Doubles<isa> a, Doubles<isa> b) { return {a.lo * b.lo, a.hi * b.hi}; }
template <Isa isa>
Doubles<isa> operator/(Doubles<isa> a, Doubles<isa> b) { return {a.lo / b.lo, a.hi / b.hi}; }

template <Isa isa>
Doubles<isa> everyLane(double d)
{
    if constexpr (isa == Isa::avx2)
        return {_mm256_set1_pd(d), _mm256_set1_pd(d)};
    else
        return {_mm_set1_pd(d), _mm_set1_pd(d)};
}

// Columns x, x + 1, ...: whole numbers, exact in a double.
template <Isa isa>
Doubles<isa> columnsFrom(std::int32_t x)
{
    if constexpr (isa == Isa::avx2)
        return everyLane<isa>(x) + Doubles<isa>{_mm256_setr_pd(0, 1, 2, 3), _mm256_setr_pd(4, 5, 6, 7)};
    else
        return everyLane<isa>(x) + Doubles<isa>{_mm_setr_pd(0, 1), _mm_setr_pd(2, 3)};
}

// Lanes 0 .. count - 1 set, for a step cut short by the span's end.
template <Isa isa>
typename Lanes<isa>::Ints firstLanes(int count)
{
    return (Lanes<isa>::kLaneBits & ((1 << count) - 1)) != 0;
}

// Cells 0 .. count - 1 of a row; lanes past count read as 0, and the cells
// behind them are not touched.
template <Isa isa>
typename Lanes<isa>::Words loadCells(const std::uint32_t* cells, int count)
{
    using Words = typename Lanes<isa>::Words;
    Words w{};
    if (count == Lanes<isa>::kPixels)
        __builtin_memcpy(&w, cells, sizeof w);
    else if constexpr (isa == Isa::avx2)
        w = (Words)_mm256_maskload_epi32(reinterpret_cast<const int*>(cells), (__m256i)firstLanes<isa>(count));
    else if (count == 1)
        w = (Words)_mm_cvtsi32_si128(static_cast<int>(cells[0]));
    else if (count == 2)
        w = (Words)_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells));
    else
        w = (Words)_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells)),
                                      _mm_cvtsi32_si128(static_cast<int>(cells[2])));
    return w;
}

// Lanes 0 .. count - 1 into cells 0 .. count - 1, and nothing else.
template <Isa isa>
void storeCells(std::uint32_t* cells, typename Lanes<isa>::Words w, int count)
{
    if (count == Lanes<isa>::kPixels) {
        __builtin_memcpy(cells, &w, sizeof w);
    } else if constexpr (isa == Isa::avx2) {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(cells), (__m256i)firstLanes<isa>(count), (__m256i)w);
    } else if (count == 1) {
        cells[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32((__m128i)w));
    } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cells), (__m128i)w);
        if (count == 3)
            cells[2] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64((__m128i)w, (__m128i)w)));
    }
}

// Depth cells (float bits) as doubles, exactly.
template <Isa isa>
Doubles<isa> widen(typename Lanes<isa>::Words depth)
{
    if constexpr (isa == Isa::avx2) {
        const __m256 f = (__m256)depth;
        return {_mm256_cvtps_pd(_mm256_castps256_ps128(f)), _mm256_cvtps_pd(_mm256_extractf128_ps(f, 1))};
    } else {
        const __m128 f = (__m128)depth;
        return {_mm_cvtps_pd(f), _mm_cvtps_pd(_mm_movehl_ps(f, f))};
    }
}

// Doubles rounded to floats, to nearest, as depth cells.
template <Isa isa>
typename Lanes<isa>::Words narrow(Doubles<isa> d)
{
    using Words = typename Lanes<isa>::Words;
    if constexpr (isa == Isa::avx2)
        return (Words)_mm256_set_m128(_mm256_cvtpd_ps(d.hi), _mm256_cvtpd_ps(d.lo));
    else
        return (Words)_mm_movelh_ps(_mm_cvtpd_ps(d.lo), _mm_cvtpd_ps(d.hi));
}

// roundWithin(r, kInt32Low, kInt32High) in every lane: max and min return
// their second operand unless the first is strictly beyond it, so NaN takes
// the low limit as in the scalar code; then the conversion to nearest, ties
// to even (it follows the rounding mode, which the program keeps at
// nearest), exact and without overflow inside the limits.
template <Isa isa>
typename Lanes<isa>::Ints roundLanes(Doubles<isa> r)
{
    using Ints = typename Lanes<isa>::Ints;
    if constexpr (isa == Isa::avx2) {
        const __m256d lo = _mm256_set1_pd(kInt32Low), hi = _mm256_set1_pd(kInt32High);
        return (Ints)_mm256_set_m128i(_mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(r.hi, lo), hi)),
                                      _mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(r.lo, lo), hi)));
    } else {
        const __m128d lo = _mm_set1_pd(kInt32Low), hi = _mm_set1_pd(kInt32High);
        return (Ints)_mm_unpacklo_epi64(_mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(r.lo, lo), hi)),
                                        _mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(r.hi, lo), hi)));
    }
}

// Bit i set where lane i holds a >= b; false where either is NaN.
template <Isa isa>
int atLeast(Doubles<isa> a, Doubles<isa> b)
{
    constexpr int half = Lanes<isa>::kPixels / 2;
    if constexpr (isa == Isa::avx2)
        return _mm256_movemask_pd(_mm256_cmp_pd(a.lo, b.lo, _CMP_GE_OQ)) |
               _mm256_movemask_pd(_mm256_cmp_pd(a.hi, b.hi, _CMP_GE_OQ)) << half;
    else
        return _mm_movemask_pd(_mm_cmpge_pd(a.lo, b.lo)) | _mm_movemask_pd(_mm_cmpge_pd(a.hi, b.hi)) << half;
}

// The number of bits set (every CPU with AVX2 has the popcnt instruction).
template <Isa isa>
int countBits(int bits)
{
    if constexpr (isa == Isa::avx2)
        return _mm_popcnt_u32(static_cast<unsigned>(bits));
    else
        return (bits & 1) + (bits >> 1 & 1) + (bits >> 2 & 1) + (bits >> 3);
}

// The texels at the lanes' indices. Every lane's index lies inside the level
// (the masks see to that), so every lane may read, drawn or not.
template <Isa isa>
typename Lanes<isa>::Words gather(const std::uint32_t* texels, typename Lanes<isa>::Words index)
{
    using Words = typename Lanes<isa>::Words;
    if constexpr (isa == Isa::avx2) {
        return (Words)_mm256_i32gather_epi32(reinterpret_cast<const int*>(texels), (__m256i)index, 4);
    } else {
        Words texel;
        for (int i = 0; i < Lanes<isa>::kPixels; ++i)
            texel[i] = texels[index[i]];
        return texel;
    }
}

// Each channel times s / 256, rounded down, as in the scalar loop: unsigned
// 32-bit products.
template <class Words>
Words shadeTexels(Words texel, Words s)
{
    Words redBlue = (((texel & 0x00FF00FFu) * s) >> 8) & 0x00FF00FFu;
    Words green = (((texel & 0x0000FF00u) >> 8) * s) & 0x0000FF00u;
    return redBlue | green;
}

// What stays the same along the row, in every lane.
template <Isa isa>
struct RowValues {
    Doubles<isa> xl, gInvZ, invZ, gU, gV, gS, u, v, s, one;
    const std::uint32_t* texels;
    std::uint32_t uMask, vMask;
    std::int32_t shift;
};

template <Isa isa>
RowValues<isa> rowValues(const Span& span, const SpanLevel& level)
{
    return {everyLane<isa>(span.xl), everyLane<isa>(span.gInvZ), everyLane<isa>(span.invZ),
            everyLane<isa>(span.gU), everyLane<isa>(span.gV),    everyLane<isa>(span.gS),
            everyLane<isa>(span.u),  everyLane<isa>(span.v),     everyLane<isa>(span.s),
            everyLane<isa>(1.0),     level.texels,               level.uMask,
            level.vMask,             level.widthLog2};
}

// Per step: the pixels of `count` columns (at most kPixels) whose numbers
// `column` holds, their cells from `colour` and `depth` on. Returns how
// many were drawn.
template <Isa isa>
[[gnu::always_inline]] inline int drawStep(const RowValues<isa>& k, Doubles<isa> column, int count,
                                           std::uint32_t* colour, std::uint32_t* depth)
{
    using Ints = typename Lanes<isa>::Ints;
    using Words = typename Lanes<isa>::Words;

    const Doubles<isa> e = column - k.xl;
    const Doubles<isa> iz = e * k.gInvZ + k.invZ;
    const Words behind = loadCells<isa>(depth, count);
    // Lanes past count read a depth of 0 and must not count as drawn.
    const int bits = atLeast<isa>(iz, widen<isa>(behind)) & ((1 << count) - 1);
    if (bits == 0)
        return 0;
    const Ints drawn = (Lanes<isa>::kLaneBits & bits) != 0;
    storeCells<isa>(depth, drawn ? narrow<isa>(iz) : behind, count);

    // Undrawn lanes compute too (NaN, infinities, nothing traps); their
    // results are dropped.
    const Doubles<isa> q = k.one / iz;
    const Ints tv = roundLanes<isa>(q * (e * k.gV + k.v));
    const Ints tu = roundLanes<isa>(q * (e * k.gU + k.u));
    const Words texel = gather<isa>(k.texels, (((Words)tv & k.vMask) << k.shift) | ((Words)tu & k.uMask));
    Ints s = roundLanes<isa>(q * (e * k.gS + k.s));
    s = s > kLightFloor ? s : kLightFloor;
    const Words lit = shadeTexels(texel, (Words)s);
    storeCells<isa>(colour, drawn ? lit : loadCells<isa>(colour, count), count);
    return countBits<isa>(bits);
}

// A vector step costs about as much as four pixels one at a time, so spans
// of up to three pixels go to the scalar loop.
constexpr int kShortSpan = 3;

// Per row: whole steps, then one step for the columns left over.
template <Isa isa>
std::int64_t drawSpanLanes(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                           std::uint32_t* depthRow)
{
    constexpr int n = Lanes<isa>::kPixels;
    if (span.xe - span.xs < kShortSpan)
        return drawSpanScalar(span, level, colourRow, depthRow);
    const RowValues<isa> k = rowValues<isa>(span, level);
    const Doubles<isa> stride = everyLane<isa>(n);
    const std::int32_t xe = span.xe;
    Doubles<isa> column = columnsFrom<isa>(span.xs);
    std::int64_t drawn = 0;
    std::int32_t x = span.xs;
    for (; x <= xe - (n - 1); x += n, column = column + stride)
        drawn += drawStep<isa>(k, column, n, colourRow + x, depthRow + x);
    if (x <= xe)
        drawn += drawStep<isa>(k, column, xe - x + 1, colourRow + x, depthRow + x);
    return drawn;
}

} // namespace
