// The converters' block paths in AVX2 lanes: the copy, 32 bytes a store.
// This unit alone is compiled for AVX2; it runs only where the CPU has it.
#include "display/pixel_layouts.h"

#include <immintrin.h>

namespace {

// Where the CPU has 32-byte moves, the C library's copy stores 32 bytes or
// more at a time, twice what SSE2 stores; the copy keeps pace with them.
struct CopyBlocks {
    static constexpr int kBlock = 16;
    static void convert(const std::uint32_t* source, std::uint8_t* destination)
    {
        const auto* from = reinterpret_cast<const __m256i*>(source);
        auto* to = reinterpret_cast<__m256i*>(destination);
        _mm256_storeu_si256(to, _mm256_loadu_si256(from));
        _mm256_storeu_si256(to + 1, _mm256_loadu_si256(from + 1));
    }
};

constexpr LayoutConverter kAvx2Converters[] = {
    {"Copy32", convertBlocks<Copy32, CopyBlocks>},
};

} // namespace

extern constinit const std::span<const LayoutConverter> kAvx2LayoutConverters = kAvx2Converters;
