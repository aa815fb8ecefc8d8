// The lane primitives in NEON (Advanced SIMD of 64-bit ARM): four pixels a
// step (render/lanes.h).
#pragma once

#include "render/lanes.h"

#include <arm_neon.h>

#include <cstddef>
#include <cstdint>

namespace {

struct NeonLanes {
    static constexpr int kPixels = 4;
    using Ints = std::int32_t __attribute__((vector_size(16)));
    using Words = std::uint32_t __attribute__((vector_size(16)));
    using Doubles = DoublePair<double __attribute__((vector_size(16)))>; // as float64x2_t
    static constexpr Ints kLaneBits{1, 2, 4, 8};

    static Doubles broadcast(double d) { return {vdupq_n_f64(d), vdupq_n_f64(d)}; }
    static Doubles offsets() { return {float64x2_t{0, 1}, float64x2_t{2, 3}}; }

    // Lanes past count are left alone: NEON has no masked loads or stores.
    static Words load(const std::uint32_t* cells, int count)
    {
        Words w{};
        if (count == kPixels)
            __builtin_memcpy(&w, cells, sizeof w);
        else
            for (int i = 0; i < count; ++i)
                w[i] = cells[i];
        return w;
    }

    static void store(std::uint32_t* cells, Words w, int count)
    {
        if (count == kPixels)
            __builtin_memcpy(cells, &w, sizeof w);
        else
            for (int i = 0; i < count; ++i)
                cells[i] = w[i];
    }

    static void storeWhere(std::uint32_t* cells, Words w, int bits, int count)
    {
        storeBlended<NeonLanes>(cells, w, bits, count);
    }

    static Doubles widen(Words w)
    {
        const float32x4_t f = vreinterpretq_f32_u32((uint32x4_t)w);
        return {vcvt_f64_f32(vget_low_f32(f)), vcvt_high_f64_f32(f)};
    }

    static Words narrow(Doubles d)
    {
        return (Words)vreinterpretq_u32_f32(vcvt_high_f32_f64(vcvt_f32_f64(d.lo), d.hi));
    }

    // The limits by comparisons, which fail for NaN as the scalar ones do, so
    // NaN takes the low limit; the conversion rounds to nearest, ties to even.
    static Ints round(Doubles r, double low, double high)
    {
        return (Ints)vcombine_s32(vmovn_s64(vcvtnq_s64_f64(within(r.lo, low, high))),
                                  vmovn_s64(vcvtnq_s64_f64(within(r.hi, low, high))));
    }

    static float64x2_t within(float64x2_t r, double low, double high)
    {
        const float64x2_t lo = vdupq_n_f64(low), hi = vdupq_n_f64(high);
        r = vbslq_f64(vcgtq_f64(r, lo), r, lo);
        return vbslq_f64(vcltq_f64(r, hi), r, hi);
    }

    static int atLeast(Doubles a, Doubles b)
    {
        const uint64x2_t lo = vcgeq_f64(a.lo, b.lo), hi = vcgeq_f64(a.hi, b.hi);
        return static_cast<int>((vgetq_lane_u64(lo, 0) & 1) | (vgetq_lane_u64(lo, 1) & 2) |
                                (vgetq_lane_u64(hi, 0) & 4) | (vgetq_lane_u64(hi, 1) & 8));
    }

    static int countBits(int bits) { return __builtin_popcount(static_cast<unsigned>(bits)); }

    // No gather: one load per lane, copied since the cells may hold floats.
    static Words gather(const std::uint32_t* texels, Words index)
    {
        Words texel;
        for (int i = 0; i < kPixels; ++i) {
            std::uint32_t cell;
            __builtin_memcpy(&cell, texels + index[i], sizeof cell);
            texel[i] = cell;
        }
        return texel;
    }

    // Four rows' first four words loaded whole and turned with zips.
    template <int n>
    static void loadTransposed(const std::uint32_t* cells, std::size_t stride, Words (&out)[n])
    {
        static_assert(n >= 1 && n <= 4);
        uint32x4_t r[4];
        for (int i = 0; i < 4; ++i)
            r[i] = vld1q_u32(cells + i * stride);
        const uint64x2_t t0 = vreinterpretq_u64_u32(vzip1q_u32(r[0], r[1]));
        const uint64x2_t t1 = vreinterpretq_u64_u32(vzip1q_u32(r[2], r[3]));
        const uint64x2_t t2 = vreinterpretq_u64_u32(vzip2q_u32(r[0], r[1]));
        const uint64x2_t t3 = vreinterpretq_u64_u32(vzip2q_u32(r[2], r[3]));
        const Words turned[4] = {(Words)vzip1q_u64(t0, t1), (Words)vzip2q_u64(t0, t1), (Words)vzip1q_u64(t2, t3),
                                 (Words)vzip2q_u64(t2, t3)};
        for (int k = 0; k < n; ++k)
            out[k] = turned[k];
    }
};

} // namespace
