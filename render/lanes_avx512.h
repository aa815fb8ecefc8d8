// The lane primitives in AVX-512F: eight pixels a step, their doubles in one
// register, partial steps through mask registers (render/lanes.h).
#pragma once

#include "render/lanes.h"

// GCC 12 takes the undefined lanes that its AVX-512 intrinsics start from
// for uninitialised values and warns inside its own header.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <cstddef>
#include <cstdint>

namespace {

struct Avx512Lanes {
    static constexpr int kPixels = 8;
    using Ints = std::int32_t __attribute__((vector_size(32)));
    using Words = std::uint32_t __attribute__((vector_size(32)));
    using Doubles = double __attribute__((vector_size(64))); // as __m512d: the whole step
    static constexpr Ints kLaneBits{1, 2, 4, 8, 16, 32, 64, 128};

    static Doubles broadcast(double d) { return (Doubles)_mm512_set1_pd(d); }
    static Doubles offsets() { return Doubles{0, 1, 2, 3, 4, 5, 6, 7}; }

    // Lanes 0 .. count - 1 of a 16-lane mask: the 32-bit lanes live in the
    // lower half of a 512-bit register, so that the masked moves of
    // AVX-512F itself serve.
    static __mmask16 firstLanes(int count) { return static_cast<__mmask16>((1u << count) - 1); }

    // A masked-off lane is neither read nor written, and cannot fault.
    static Words load(const std::uint32_t* cells, int count)
    {
        Words w;
        if (count == kPixels)
            __builtin_memcpy(&w, cells, sizeof w);
        else
            w = (Words)_mm512_castsi512_si256(_mm512_maskz_loadu_epi32(firstLanes(count), cells));
        return w;
    }

    static void store(std::uint32_t* cells, Words w, int count)
    {
        if (count == kPixels)
            __builtin_memcpy(cells, &w, sizeof w);
        else
            _mm512_mask_storeu_epi32(cells, firstLanes(count), _mm512_castsi256_si512((__m256i)w));
    }

    // Only the lanes whose bit is set are written.
    static void storeWhere(std::uint32_t* cells, Words w, int bits, int)
    {
        _mm512_mask_storeu_epi32(cells, static_cast<__mmask16>(bits), _mm512_castsi256_si512((__m256i)w));
    }

    static Doubles widen(Words w) { return (Doubles)_mm512_cvtps_pd((__m256)w); }
    static Words narrow(Doubles d) { return (Words)_mm512_cvtpd_ps((__m512d)d); }

    // As in Sse2Lanes: NaN takes the low limit; the conversion rounds to nearest.
    static Ints round(Doubles r, double low, double high)
    {
        return (Ints)_mm512_cvtpd_epi32(
            _mm512_min_pd(_mm512_max_pd((__m512d)r, _mm512_set1_pd(low)), _mm512_set1_pd(high)));
    }

    // The comparison leaves its lanes' bits in a mask register.
    static int atLeast(Doubles a, Doubles b) { return _mm512_cmp_pd_mask((__m512d)a, (__m512d)b, _CMP_GE_OQ); }

    static int countBits(int bits) { return _mm_popcnt_u32(static_cast<unsigned>(bits)); }

    // Every CPU with AVX-512F has AVX2 and its gather.
    static Words gather(const std::uint32_t* texels, Words index)
    {
        return (Words)_mm256_i32gather_epi32(reinterpret_cast<const int*>(texels), (__m256i)index, 4);
    }

    template <int n>
    static void loadTransposed(const std::uint32_t* cells, std::size_t stride, Words (&out)[n])
    {
        gatherTransposed<Avx512Lanes>(cells, stride, out);
    }
};

} // namespace
