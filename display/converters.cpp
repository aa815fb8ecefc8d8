// The eight row converters from 32-bit cells to the display's layouts, and the choice among them.
#include "display/converters.h"

#include "display/converters_paths.h"

#include <bit>
#include <cstddef>
#include <cstring>

#if TESSIK_X86_SIMD
#include <immintrin.h>
#endif

namespace {

// The channels of a cell 0x??RRGGBB; the top byte is no colour.
constexpr std::uint32_t kChannel = 0xFF;
constexpr std::uint32_t red(std::uint32_t cell) { return cell >> 16 & kChannel; }
constexpr std::uint32_t green(std::uint32_t cell) { return cell >> 8 & kChannel; }
constexpr std::uint32_t blue(std::uint32_t cell) { return cell & kChannel; }

// Stores the low bytes of a pixel value, lowest first: display pixels are
// little-endian whatever the CPU.
template <int bytes>
void storePixel(std::uint8_t* at, std::uint32_t value)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &value, bytes);
    } else {
        for (int i = 0; i < bytes; ++i)
            at[i] = static_cast<std::uint8_t>(value >> 8 * i);
    }
}

#if TESSIK_X86_SIMD
// SSE2 helpers. Rows may start anywhere, so every load and store is unaligned.
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
#endif

// The per-pixel path of a layout: also the remainder after the last block.
template <class Layout>
void convertPixels(const std::uint32_t* source, std::uint8_t* destination, std::ptrdiff_t count)
{
    for (std::ptrdiff_t i = 0; i < count; ++i)
        storePixel<Layout::kBytes>(destination + i * Layout::kBytes, Layout::pixel(source[i]));
}

// Each layout gives its bytes per pixel and the pixel of one cell as a value
// whose low bytes are stored lowest first. Where SIMD is on, it also converts
// blocks of kBlock cells at once, with exactly the per-pixel result.

struct Copy32 {
    static constexpr int kBytes = 4;
    static std::uint32_t pixel(std::uint32_t cell) { return cell; }
#if TESSIK_X86_SIMD
    // 64 bytes in 16-byte moves: the block for CPUs without AVX.
    static constexpr int kBlock = 16;
    static void convertBlock(const std::uint32_t* source, std::uint8_t* destination)
    {
        for (int i = 0; i < kBlock; i += 4)
            storeBytes(destination + 4 * i, loadCells(source + i));
    }
#endif
};

#if TESSIK_X86_SIMD
// Where the CPU has AVX, the C library's copy stores 32 bytes or more at a
// time, twice what SSE2 stores; the copy keeps pace with 32-byte moves there.
__attribute__((target("avx"))) void copyRowAvx(const std::uint32_t* source, std::uint8_t* destination,
                                              std::ptrdiff_t count)
{
    std::ptrdiff_t done = 0;
    for (; count - done >= Copy32::kBlock; done += Copy32::kBlock) {
        const auto* from = reinterpret_cast<const __m256i*>(source + done);
        auto* to = reinterpret_cast<__m256i*>(destination + 4 * done);
        _mm256_storeu_si256(to, _mm256_loadu_si256(from));
        _mm256_storeu_si256(to + 1, _mm256_loadu_si256(from + 1));
    }
    convertPixels<Copy32>(source + done, destination + 4 * done, count - done);
}
#endif

struct Swap32 {
    static constexpr int kBytes = 4;
    static std::uint32_t pixel(std::uint32_t cell) { return blue(cell) << 16 | green(cell) << 8 | red(cell); }
#if TESSIK_X86_SIMD
    static constexpr int kBlock = 4;
    static void convertBlock(const std::uint32_t* source, std::uint8_t* destination)
    {
        storeBytes(destination, swapRedBlue(loadCells(source)));
    }
#endif
};

// Bytes B, G, R; the top byte is not stored.
struct Pack24 {
    static constexpr int kBytes = 3;
    static std::uint32_t pixel(std::uint32_t cell) { return cell; }
#if TESSIK_X86_SIMD
    static constexpr int kBlock = 4;
    static void convertBlock(const std::uint32_t* source, std::uint8_t* destination)
    {
        storePacked24(destination, loadCells(source));
    }
#endif
};

// Bytes R, G, B.
struct Pack24Swap {
    static constexpr int kBytes = 3;
    static std::uint32_t pixel(std::uint32_t cell) { return Swap32::pixel(cell); }
#if TESSIK_X86_SIMD
    static constexpr int kBlock = 4;
    static void convertBlock(const std::uint32_t* source, std::uint8_t* destination)
    {
        storePacked24(destination, swapRedBlue(loadCells(source)));
    }
#endif
};

// A 16-bit layout: the top 5 bits of red (or of blue) in the high bits, the
// top greenBits bits of green from bit 5, the top 5 bits of the other channel
// in bits 0-4. Lower bits are dropped, never rounded.
template <bool redHigh, int greenBits>
struct Packed16 {
    static constexpr int kBytes = 2;
    static std::uint32_t pixel(std::uint32_t cell)
    {
        const std::uint32_t high = redHigh ? red(cell) : blue(cell);
        const std::uint32_t low = redHigh ? blue(cell) : red(cell);
        return (high >> 3) << (5 + greenBits) | (green(cell) >> (8 - greenBits)) << 5 | low >> 3;
    }
#if TESSIK_X86_SIMD
    static constexpr int kBlock = 8;

    // The block first forms pixel << kScale in each 32-bit lane: at that scale
    // the kept green bits are already in place within the cell (0xFC00 for 6
    // bits, 0xF800 for 5), so green needs only a mask.
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

    static void convertBlock(const std::uint32_t* source, std::uint8_t* destination)
    {
        storeBytes(destination, _mm_packs_epi32(pixels(loadCells(source)), pixels(loadCells(source + 4))));
    }
#endif
};

using Rgb565 = Packed16<true, 6>;
using Bgr565 = Packed16<false, 6>;
using Rgb555 = Packed16<true, 5>;
using Bgr555 = Packed16<false, 5>;

// Whole blocks first, then the cells left over one by one. Nothing is read
// or written past count cells; a count of zero or below does nothing.
template <class Layout>
void convertRow(const std::uint32_t* source, void* destination, std::int32_t count)
{
    auto* out = static_cast<std::uint8_t*>(destination);
    std::ptrdiff_t done = 0;
#if TESSIK_X86_SIMD
    for (; count - done >= Layout::kBlock; done += Layout::kBlock)
        Layout::convertBlock(source + done, out + done * Layout::kBytes);
#endif
    convertPixels<Layout>(source + done, out + done * Layout::kBytes, count - done);
}

struct LayoutChoice {
    std::uint32_t bitCount, redMask, greenMask, blueMask;
    RowConverter convert;
};

constexpr LayoutChoice kLayoutChoices[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, convertCopy32},
    {32, 0xFF, 0xFF00, 0xFF0000, convertSwap32},
    {24, 0xFF0000, 0xFF00, 0xFF, convertPack24},
    {24, 0xFF, 0xFF00, 0xFF0000, convertPack24Swap},
    {16, 0xF800, 0x7E0, 0x1F, convertRgb565},
    {16, 0x1F, 0x7E0, 0xF800, convertBgr565},
    {16, 0x7C00, 0x3E0, 0x1F, convertRgb555},
    {16, 0x1F, 0x3E0, 0x7C00, convertBgr555},
};

} // namespace

RowConverter chooseRowConverter(std::uint32_t bitCount, std::uint32_t redMask,
                                std::uint32_t greenMask, std::uint32_t blueMask)
{
    for (const LayoutChoice& choice : kLayoutChoices) {
        if (choice.bitCount == bitCount && choice.redMask == redMask && choice.greenMask == greenMask &&
            choice.blueMask == blueMask)
            return choice.convert;
    }
    return nullptr;
}

void convertCopy32(const std::uint32_t* source, void* destination, std::int32_t count)
{
#if TESSIK_X86_SIMD
    if (__builtin_cpu_supports("avx")) {
        copyRowAvx(source, static_cast<std::uint8_t*>(destination), count);
        return;
    }
#endif
    convertRow<Copy32>(source, destination, count);
}

#if TESSIK_X86_SIMD
void convertCopy32Sse2(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Copy32>(source, destination, count);
}
#endif

void convertSwap32(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Swap32>(source, destination, count);
}

void convertPack24(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Pack24>(source, destination, count);
}

void convertPack24Swap(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Pack24Swap>(source, destination, count);
}

void convertRgb565(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Rgb565>(source, destination, count);
}

void convertBgr565(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Bgr565>(source, destination, count);
}

void convertRgb555(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Rgb555>(source, destination, count);
}

void convertBgr555(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertRow<Bgr555>(source, destination, count);
}

namespace plain {

void convertCopy32(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Copy32>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertSwap32(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Swap32>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertPack24(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Pack24>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertPack24Swap(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Pack24Swap>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertRgb565(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Rgb565>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertBgr565(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Bgr565>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertRgb555(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Rgb555>(source, static_cast<std::uint8_t*>(destination), count);
}

void convertBgr555(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Bgr555>(source, static_cast<std::uint8_t*>(destination), count);
}

} // namespace plain
