// The lane layer under the vector row set-up and pixel loop: what every
// instruction set's lanes provide, and the record they share.
//
// The row set-up (render/row_lanes.h) and the pixel loop
// (render/span_lanes.h) are written once against a struct of lane
// primitives; each instruction set has one header holding that struct and
// nothing else (render/lanes_sse2.h, lanes_avx2.h and lanes_avx512.h on
// x86-64, lanes_neon.h on 64-bit ARM). A struct L provides:
//
//   kPixels                 pixels drawn per step, one per 32-bit lane
//   Ints, Words             kPixels signed and unsigned 32-bit lanes with the
//                           usual operators (a vector extension of GCC and
//                           Clang): comparisons give 0 or -1 per lane, and
//                           `mask ? a : b` picks per lane
//   Doubles                 the kPixels doubles of a step, with + - * /: one
//                           register or a DoublePair of two
//   kLaneBits               Ints holding 1 << i in lane i
//   broadcast(d)            Doubles with d in every lane
//   offsets()               Doubles 0, 1, ..., kPixels - 1
//   load(cells, count)      Words from cells 0 .. count - 1 (1 <= count <=
//                           kPixels); lanes past count read 0, and nothing
//                           past count is touched
//   store(cells, w, count)  lanes 0 .. count - 1 into cells 0 .. count - 1,
//                           and nothing else
//   storeWhere(cells, w, bits, count)
//                           lane i into cell i where bit i of bits is set
//                           (bits lie within the low count bits); the other
//                           cells keep their values, and nothing past count
//                           is touched
//   widen(w)                Doubles holding the floats whose bits w holds, exactly
//   narrow(d)               Words holding the bits of d rounded to floats
//   round(d, lo, hi)        Ints: d held within [lo, hi] (whole numbers in
//                           the 32-bit range; NaN takes lo), rounded to
//                           nearest, ties to even: the scalar roundWithin
//   atLeast(a, b)           bit i set where lane i has a >= b (false for NaN)
//   countBits(bits)         the number of bits set in the low kPixels bits
//   gather(texels, index)   Words texels[index[i]] in lane i
//   loadTransposed<n>(cells, stride, out)
//                           the first n (1 to 4) words of kPixels rows of
//                           `stride` words each, turned: lane i of out[k]
//                           holds cells[i * stride + k]
//
// Every primitive gives, lane by lane, exactly what the scalar loop's
// operation gives for one pixel, so the loop draws the same pixels on every
// instruction set. Everything is inline with internal linkage: a unit
// compiled for one set must never end up calling another unit's copy of a
// shared inline function, which the linker could otherwise keep for the
// whole program.
//
// Adding an instruction set takes one header render/lanes_<set>.h with its
// struct, one source render/span_<set>.cpp that instantiates the row loop
// and the pixel loop with it, and one row in the table of
// render/span_paths.cpp; the build gives the set's name and compiler options
// once (CMakeLists.txt), and the tests and the benchmarks pick the new row
// up by themselves. Its kPixels must divide RowBatch::kRows (render/span.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace {

// The doubles of a step in two registers, the step's lower and upper half:
// a register holds half as many doubles as 32-bit lanes.
template <class Half>
struct DoublePair {
    Half lo, hi;

    friend DoublePair operator+(DoublePair a, DoublePair b) { return {a.lo + b.lo, a.hi + b.hi}; }
    friend DoublePair operator-(DoublePair a, DoublePair b) { return {a.lo - b.lo, a.hi - b.hi}; }
    friend DoublePair operator*(DoublePair a, DoublePair b) { return {a.lo * b.lo, a.hi * b.hi}; }
    friend DoublePair operator/(DoublePair a, DoublePair b) { return {a.lo / b.lo, a.hi / b.hi}; }
};

// storeWhere for sets without masked stores: the cells' own values are
// loaded and kept in the lanes whose bit is clear.
template <class L>
[[gnu::always_inline]] inline void storeBlended(std::uint32_t* cells, typename L::Words w, int bits, int count)
{
    const typename L::Ints chosen = (L::kLaneBits & bits) != 0;
    L::store(cells, chosen ? w : L::load(cells, count), count);
}

// loadTransposed for sets with a gather: one gather per word.
template <class L, int n>
[[gnu::always_inline]] inline void gatherTransposed(const std::uint32_t* cells, std::size_t stride,
                                                    typename L::Words (&out)[n])
{
    static_assert(n >= 1 && n <= 4);
    typename L::Words index;
    for (int i = 0; i < L::kPixels; ++i)
        index[i] = static_cast<std::uint32_t>(i * stride);
    for (int k = 0; k < n; ++k)
        out[k] = L::gather(cells + k, index);
}

} // namespace
