// The lane primitives in SSE2: four pixels a step (render/lanes.h).
#pragma once

#include "render/lanes.h"

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace {

struct Sse2Lanes {
    static constexpr int kPixels = 4;
    using Ints = std::int32_t __attribute__((vector_size(16)));
    using Words = std::uint32_t __attribute__((vector_size(16)));
    using Doubles = DoublePair<double __attribute__((vector_size(16)))>; // as __m128d
    static constexpr Ints kLaneBits{1, 2, 4, 8};

    static Doubles broadcast(double d) { return {_mm_set1_pd(d), _mm_set1_pd(d)}; }
    static Doubles offsets() { return {_mm_setr_pd(0, 1), _mm_setr_pd(2, 3)}; }

    static Words load(const std::uint32_t* cells, int count)
    {
        Words w{};
        if (count == kPixels)
            __builtin_memcpy(&w, cells, sizeof w);
        else if (count == 1)
            w = (Words)_mm_cvtsi32_si128(static_cast<int>(cells[0]));
        else if (count == 2)
            w = (Words)_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells));
        else
            w = (Words)_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells)),
                                          _mm_cvtsi32_si128(static_cast<int>(cells[2])));
        return w;
    }

    static void store(std::uint32_t* cells, Words w, int count)
    {
        if (count == kPixels) {
            __builtin_memcpy(cells, &w, sizeof w);
        } else if (count == 1) {
            cells[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32((__m128i)w));
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(cells), (__m128i)w);
            if (count == 3)
                cells[2] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64((__m128i)w, (__m128i)w)));
        }
    }

    static void storeWhere(std::uint32_t* cells, Words w, int bits, int count)
    {
        storeBlended<Sse2Lanes>(cells, w, bits, count);
    }

    static Doubles widen(Words w)
    {
        const __m128 f = (__m128)w;
        return {_mm_cvtps_pd(f), _mm_cvtps_pd(_mm_movehl_ps(f, f))};
    }

    static Words narrow(Doubles d) { return (Words)_mm_movelh_ps(_mm_cvtpd_ps(d.lo), _mm_cvtpd_ps(d.hi)); }

    // max and min return their second operand unless the first is strictly
    // beyond it, so NaN takes the low limit; the conversion follows the
    // rounding mode, which the program keeps at nearest.
    static Ints round(Doubles r, double low, double high)
    {
        const __m128d lo = _mm_set1_pd(low), hi = _mm_set1_pd(high);
        return (Ints)_mm_unpacklo_epi64(_mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(r.lo, lo), hi)),
                                        _mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(r.hi, lo), hi)));
    }

    static int atLeast(Doubles a, Doubles b)
    {
        return _mm_movemask_pd(_mm_cmpge_pd(a.lo, b.lo)) | _mm_movemask_pd(_mm_cmpge_pd(a.hi, b.hi)) << 2;
    }

    static int countBits(int bits) { return (bits & 1) + (bits >> 1 & 1) + (bits >> 2 & 1) + (bits >> 3); }

    // Four rows' first four words loaded whole and turned with unpacks.
    template <int n>
    static void loadTransposed(const std::uint32_t* cells, std::size_t stride, Words (&out)[n])
    {
        static_assert(n >= 1 && n <= 4);
        __m128i r[4];
        for (int i = 0; i < 4; ++i)
            r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + i * stride));
        const __m128i t0 = _mm_unpacklo_epi32(r[0], r[1]), t1 = _mm_unpacklo_epi32(r[2], r[3]);
        const __m128i t2 = _mm_unpackhi_epi32(r[0], r[1]), t3 = _mm_unpackhi_epi32(r[2], r[3]);
        const Words turned[4] = {(Words)_mm_unpacklo_epi64(t0, t1), (Words)_mm_unpackhi_epi64(t0, t1),
                                 (Words)_mm_unpacklo_epi64(t2, t3), (Words)_mm_unpackhi_epi64(t2, t3)};
        for (int k = 0; k < n; ++k)
            out[k] = turned[k];
    }

    // SSE2 has no gather: one load per lane.
    static Words gather(const std::uint32_t* texels, Words index)
    {
        Words texel;
        for (int i = 0; i < kPixels; ++i) {
            std::uint32_t cell; // copied: the cells may hold floats
            __builtin_memcpy(&cell, texels + index[i], sizeof cell);
            texel[i] = cell;
        }
        return texel;
    }
};

} // namespace
