// The converters' block paths in SSE2: every layout, 16 bytes a store.
#include "display/pixel_layouts.h"

#include <immintrin.h>

namespace {

// Rows may start anywhere, so every load and store is unaligned.
__m128i loadCells(const std::uint32_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

void storeBytes(std::uint8_t* at, __m128i bytes)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes);
}

__m128i everyLane(std::uint32_t value)
{
    return _mm_set1_epi32(static_cast<int>(value));
}

// B << 16 | G << 8 | R in each 32-bit lane. Every channel is cut to its own 8
// bits by a mask next to its shift, so neither the top byte nor another
// channel can reach it: the per-pixel formula, bit for bit.
__m128i swapRedBlue(__m128i cells)
{
    const __m128i b = _mm_slli_epi32(_mm_and_si128(cells, everyLane(kChannel)), 16);
    const __m128i g = _mm_and_si128(cells, everyLane(kChannel << 8));
    const __m128i r = _mm_and_si128(_mm_srli_epi32(cells, 16), everyLane(kChannel));
    return _mm_or_si128(_mm_or_si128(b, g), r);
}

// Within one 64-bit half holding cells c0 | c1 << 32: the low 24 bits of c0,
// and those of c1 moved down by 8 to sit right above them.
constexpr long long kFirstPixel = 0x0000000000FFFFFF;
constexpr long long kSecondPixel = 0x0000FFFFFF000000;

// Stores the low 24 bits of the four lanes as 12 bytes, lowest first, with
// one 8-byte and one 4-byte store. The masks drop only the top bytes and the
// shifts move whole bytes, so every pixel keeps exactly its B, G and R.
void storePacked24(std::uint8_t* destination, __m128i cells)
{
    const __m128i pairs = _mm_or_si128(_mm_and_si128(cells, _mm_set1_epi64x(kFirstPixel)),
                                       _mm_and_si128(_mm_srli_epi64(cells, 8), _mm_set1_epi64x(kSecondPixel)));
    // Pixels 0 and 1 fill bytes 0-5 of pairs, pixels 2 and 3 bytes 8-13.
    const __m128i upper = _mm_srli_si128(pairs, 8);
    // Bytes 0-7: pixels 0 and 1, then the first two bytes of pixel 2.
    _mm_storel_epi64(reinterpret_cast<__m128i*>(destination), _mm_or_si128(pairs, _mm_slli_epi64(upper, 48)));
    // Bytes 8-11: the last byte of pixel 2, then pixel 3.
    const auto tail = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_epi64(upper, 16)));
    std::memcpy(destination + 8, &tail, sizeof tail);
}

// 64 bytes in 16-byte moves.
struct CopyBlocks {
    static constexpr int kBlock = 16;
    static void convert(const std::uint32_t* source, std::uint8_t* destination)
    {
        for (int i = 0; i < kBlock; i += 4)
            storeBytes(destination + 4 * i, loadCells(source + i));
    }
};

struct SwapBlocks {
    static constexpr int kBlock = 4;
    static void convert(const std::uint32_t* source, std::uint8_t* destination)
    {
        storeBytes(destination, swapRedBlue(loadCells(source)));
    }
};

template <bool swap>
struct Pack24Blocks {
    static constexpr int kBlock = 4;
    static void convert(const std::uint32_t* source, std::uint8_t* destination)
    {
        const __m128i cells = loadCells(source);
        storePacked24(destination, swap ? swapRedBlue(cells) : cells);
    }
};

// The block of a 16-bit layout first forms pixel << kScale in each 32-bit
// lane: at that scale the kept green bits are already in place within the
// cell (0xFC00 for 6 bits, 0xF800 for 5), so green needs only a mask.
template <class Layout>
struct Packed16Blocks {
    static constexpr int kBlock = 8;
    static constexpr bool redHigh = Layout::kRedHigh;
    static constexpr int greenBits = Layout::kGreenBits;

    static constexpr int kScale = 11 - greenBits;
    static constexpr std::uint32_t kGreenKept = (0xFFu << (8 - greenBits) & kChannel) << 8;
    static constexpr std::uint32_t kRedBlueKept = 0x00F800F8;

    // _mm_madd_epi16 multiplies each 16-bit half of a lane (B & 0xF8 below,
    // R & 0xF8 above) by its own multiplier and adds the two products. A
    // channel for the high bits goes to bit 5 + greenBits + kScale = 16 of
    // the scaled pixel: times 1 << 13 from its bit 3. The one for bits 0-4
    // goes to bit kScale: times 1 << (kScale - 3). Both products are below
    // 0x200000 and occupy bits that nothing else uses, so the add is an or.
    // Every factor is positive as a signed 16-bit number, as madd takes it.
    static constexpr std::uint32_t kHighMultiplier = 1u << 13;
    static constexpr std::uint32_t kLowMultiplier = 1u << (kScale - 3);
    static constexpr std::uint32_t kMultipliers =
        redHigh ? kHighMultiplier << 16 | kLowMultiplier : kLowMultiplier << 16 | kHighMultiplier;

    // The pixel in the low 16 bits of each lane, sign-extended to 32 bits, so
    // that the signed-saturating pack keeps all 16 bits as they are.
    static __m128i pixels(__m128i cells)
    {
        const __m128i redBlue = _mm_madd_epi16(_mm_and_si128(cells, everyLane(kRedBlueKept)), everyLane(kMultipliers));
        const __m128i scaled = _mm_or_si128(redBlue, _mm_and_si128(cells, everyLane(kGreenKept)));
        // scaled < 1 << (16 + kScale): the left shift loses nothing but zeros.
        return _mm_srai_epi32(_mm_slli_epi32(scaled, 16 - kScale), 16);
    }

    static void convert(const std::uint32_t* source, std::uint8_t* destination)
    {
        storeBytes(destination, _mm_packs_epi32(pixels(loadCells(source)), pixels(loadCells(source + 4))));
    }
};

constexpr LayoutConverter kSse2Converters[] = {
    {"Copy32", convertBlocks<Copy32, CopyBlocks>},
    {"Swap32", convertBlocks<Swap32, SwapBlocks>},
    {"Pack24", convertBlocks<Pack24, Pack24Blocks<false>>},
    {"Pack24Swap", convertBlocks<Pack24Swap, Pack24Blocks<true>>},
    {"Rgb565", convertBlocks<Rgb565, Packed16Blocks<Rgb565>>},
    {"Bgr565", convertBlocks<Bgr565, Packed16Blocks<Bgr565>>},
    {"Rgb555", convertBlocks<Rgb555, Packed16Blocks<Rgb555>>},
    {"Bgr555", convertBlocks<Bgr555, Packed16Blocks<Bgr555>>},
};

} // namespace

extern constinit const std::span<const LayoutConverter> kSse2LayoutConverters = kSse2Converters;
