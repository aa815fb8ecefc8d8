// Inside the converters: the pixel of one cell in each layout, the plain
// per-pixel path, and the frame of every block path.
#pragma once

#include "display/converters.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// Internal linkage: these are compiled into every converters unit, each for
// its own instruction set, and no unit may end up calling another unit's copy.
namespace {

// The channels of a cell 0x??RRGGBB; the top byte is no colour.
constexpr std::uint32_t kChannel = 0xFF;
constexpr std::uint32_t red(std::uint32_t cell) { return cell >> 16 & kChannel; }
constexpr std::uint32_t green(std::uint32_t cell) { return cell >> 8 & kChannel; }
constexpr std::uint32_t blue(std::uint32_t cell) { return cell & kChannel; }

// Each layout gives its bytes per pixel and the pixel of one cell as a value
// whose low bytes are stored lowest first.

struct Copy32 {
    static constexpr int kBytes = 4;
    static std::uint32_t pixel(std::uint32_t cell) { return cell; }
};

struct Swap32 {
    static constexpr int kBytes = 4;
    static std::uint32_t pixel(std::uint32_t cell) { return blue(cell) << 16 | green(cell) << 8 | red(cell); }
};

// Bytes B, G, R; the top byte is not stored.
struct Pack24 {
    static constexpr int kBytes = 3;
    static std::uint32_t pixel(std::uint32_t cell) { return cell; }
};

// Bytes R, G, B.
struct Pack24Swap {
    static constexpr int kBytes = 3;
    static std::uint32_t pixel(std::uint32_t cell) { return Swap32::pixel(cell); }
};

// A 16-bit layout: the top 5 bits of red (or of blue) in the high bits, the
// top greenBits bits of green from bit 5, the top 5 bits of the other channel
// in bits 0-4. Lower bits are dropped, never rounded.
template <bool redHigh, int greenBits>
struct Packed16 {
    static constexpr int kBytes = 2;
    static constexpr bool kRedHigh = redHigh;
    static constexpr int kGreenBits = greenBits;
    static std::uint32_t pixel(std::uint32_t cell)
    {
        const std::uint32_t high = redHigh ? red(cell) : blue(cell);
        const std::uint32_t low = redHigh ? blue(cell) : red(cell);
        return (high >> 3) << (5 + greenBits) | (green(cell) >> (8 - greenBits)) << 5 | low >> 3;
    }
};

using Rgb565 = Packed16<true, 6>;
using Bgr565 = Packed16<false, 6>;
using Rgb555 = Packed16<true, 5>;
using Bgr555 = Packed16<false, 5>;

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

// The per-pixel path of a layout: also the remainder after the last block.
template <class Layout>
void convertPixels(const std::uint32_t* source, std::uint8_t* destination, std::ptrdiff_t count)
{
    for (std::ptrdiff_t i = 0; i < count; ++i)
        storePixel<Layout::kBytes>(destination + i * Layout::kBytes, Layout::pixel(source[i]));
}

// The plain path as a row converter.
template <class Layout>
void convertPlain(const std::uint32_t* source, void* destination, std::int32_t count)
{
    convertPixels<Layout>(source, static_cast<std::uint8_t*>(destination), count);
}

// A block path: Blocks converts kBlock cells at once (Blocks::convert), with
// exactly the per-pixel result; whole blocks first, then the cells left over
// one by one. Nothing is read or written past count cells; a count of zero
// or below does nothing.
template <class Layout, class Blocks>
void convertBlocks(const std::uint32_t* source, void* destination, std::int32_t count)
{
    auto* out = static_cast<std::uint8_t*>(destination);
    std::ptrdiff_t done = 0;
    for (; count - done >= Blocks::kBlock; done += Blocks::kBlock)
        Blocks::convert(source + done, out + done * Layout::kBytes);
    convertPixels<Layout>(source + done, out + done * Layout::kBytes, count - done);
}

} // namespace
