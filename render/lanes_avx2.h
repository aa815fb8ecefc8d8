// The lane primitives in AVX2: eight pixels a step (render/lanes.h).
#pragma once

#include "render/lanes.h"

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace {

struct Avx2Lanes {
    static constexpr int kPixels = 8;
    using Ints = std::int32_t __attribute__((vector_size(32)));
    using Words = std::uint32_t __attribute__((vector_size(32)));
    using Doubles = DoublePair<double __attribute__((vector_size(32)))>; // as __m256d
    static constexpr Ints kLaneBits{1, 2, 4, 8, 16, 32, 64, 128};

    static Doubles broadcast(double d) { return {_mm256_set1_pd(d), _mm256_set1_pd(d)}; }
    static Doubles offsets() { return {_mm256_setr_pd(0, 1, 2, 3), _mm256_setr_pd(4, 5, 6, 7)}; }

    static __m256i firstLanes(int count) { return (__m256i)((kLaneBits & ((1 << count) - 1)) != 0); }

    static Words load(const std::uint32_t* cells, int count)
    {
        Words w;
        if (count == kPixels)
            __builtin_memcpy(&w, cells, sizeof w);
        else
            w = (Words)_mm256_maskload_epi32(reinterpret_cast<const int*>(cells), firstLanes(count));
        return w;
    }

    static void store(std::uint32_t* cells, Words w, int count)
    {
        if (count == kPixels)
            __builtin_memcpy(cells, &w, sizeof w);
        else
            _mm256_maskstore_epi32(reinterpret_cast<int*>(cells), firstLanes(count), (__m256i)w);
    }

    static void storeWhere(std::uint32_t* cells, Words w, int bits, int count)
    {
        storeBlended<Avx2Lanes>(cells, w, bits, count);
    }

    static Doubles widen(Words w)
    {
        const __m256 f = (__m256)w;
        return {_mm256_cvtps_pd(_mm256_castps256_ps128(f)), _mm256_cvtps_pd(_mm256_extractf128_ps(f, 1))};
    }

    static Words narrow(Doubles d) { return (Words)_mm256_set_m128(_mm256_cvtpd_ps(d.hi), _mm256_cvtpd_ps(d.lo)); }

    // As in Sse2Lanes: NaN takes the low limit; the conversion rounds to nearest.
    static Ints round(Doubles r, double low, double high)
    {
        const __m256d lo = _mm256_set1_pd(low), hi = _mm256_set1_pd(high);
        return (Ints)_mm256_set_m128i(_mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(r.hi, lo), hi)),
                                      _mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(r.lo, lo), hi)));
    }

    static int atLeast(Doubles a, Doubles b)
    {
        return _mm256_movemask_pd(_mm256_cmp_pd(a.lo, b.lo, _CMP_GE_OQ)) |
               _mm256_movemask_pd(_mm256_cmp_pd(a.hi, b.hi, _CMP_GE_OQ)) << 4;
    }

    // Every CPU with AVX2 has the popcnt instruction.
    static int countBits(int bits) { return _mm_popcnt_u32(static_cast<unsigned>(bits)); }

    static Words gather(const std::uint32_t* texels, Words index)
    {
        return (Words)_mm256_i32gather_epi32(reinterpret_cast<const int*>(texels), (__m256i)index, 4);
    }

    template <int n>
    static void loadTransposed(const std::uint32_t* cells, std::size_t stride, Words (&out)[n])
    {
        gatherTransposed<Avx2Lanes>(cells, stride, out);
    }
};

} // namespace
