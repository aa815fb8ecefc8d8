// The row converters: every layout on every path at every short count, exact bounds, block against per-pixel, and the choice.
#include "display/converters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace {

std::uint32_t r(std::uint32_t cell) { return cell >> 16 & 0xFF; }
std::uint32_t g(std::uint32_t cell) { return cell >> 8 & 0xFF; }
std::uint32_t b(std::uint32_t cell) { return cell & 0xFF; }

// What each layout must be, written out independently of the table in
// converters.cpp: how the display reports it, its bytes per pixel, and the
// pixel of a cell as a value whose low bytes are stored lowest first.
struct Expected {
    const char* name;
    std::uint32_t bits, red, green, blue;
    int bytes;
    std::uint32_t (*pixel)(std::uint32_t cell);
};

const Expected kExpected[] = {
    {"Copy32", 32, 0xFF0000, 0xFF00, 0xFF, 4, [](std::uint32_t c) { return c; }},
    {"Swap32", 32, 0xFF, 0xFF00, 0xFF0000, 4, [](std::uint32_t c) { return b(c) << 16 | g(c) << 8 | r(c); }},
    {"Pack24", 24, 0xFF0000, 0xFF00, 0xFF, 3, [](std::uint32_t c) { return b(c) | g(c) << 8 | r(c) << 16; }},
    {"Pack24Swap", 24, 0xFF, 0xFF00, 0xFF0000, 3, [](std::uint32_t c) { return r(c) | g(c) << 8 | b(c) << 16; }},
    {"Rgb565", 16, 0xF800, 0x7E0, 0x1F, 2,
     [](std::uint32_t c) { return (r(c) >> 3) << 11 | (g(c) >> 2) << 5 | b(c) >> 3; }},
    {"Bgr565", 16, 0x1F, 0x7E0, 0xF800, 2,
     [](std::uint32_t c) { return (b(c) >> 3) << 11 | (g(c) >> 2) << 5 | r(c) >> 3; }},
    {"Rgb555", 16, 0x7C00, 0x3E0, 0x1F, 2,
     [](std::uint32_t c) { return (r(c) >> 3) << 10 | (g(c) >> 3) << 5 | b(c) >> 3; }},
    {"Bgr555", 16, 0x1F, 0x3E0, 0x7C00, 2,
     [](std::uint32_t c) { return (b(c) >> 3) << 10 | (g(c) >> 3) << 5 | r(c) >> 3; }},
};

const Expected& expectedOf(const PixelLayout& layout)
{
    const auto* e = std::find_if(std::begin(kExpected), std::end(kExpected),
                                 [&](const Expected& x) { return std::string_view(x.name) == layout.name; });
    EXPECT_NE(e, std::end(kExpected)) << layout.name << " is not expected";
    return e != std::end(kExpected) ? *e : kExpected[0];
}

// One converter of a layout: the layout's plain path, or a block path of
// an instruction set this CPU runs.
struct Converter {
    std::string name;
    RowConverter convert;
    bool plain;
};

std::vector<Converter> convertersOf(const PixelLayout& layout)
{
    std::vector<Converter> converters;
    for (const ConverterPath& path : converterPaths())
        if (RowConverter convert = converterOn(path, layout); convert && path.available())
            converters.push_back({std::string(layout.name) + " on " + path.name, convert, convert == layout.plain});
    return converters;
}

std::uint32_t readPixel(const std::uint8_t* at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint32_t{at[i]} << 8 * i;
    return value;
}

constexpr std::size_t kGuardBytes = 16;
constexpr std::uint8_t kGuardByte = 0xA5;
constexpr std::uint32_t kGuardCell = 0xA5A5A5A5;

// Runs convert on the cells with the given count and returns the pixel bytes.
// The row starts `shift` cells and bytes past the allocations' alignment. A
// guard cell follows the source and guard bytes surround the destination;
// under AddressSanitizer the trailing guards are poisoned, so reading or
// writing past the row stops the test. The guard bytes must stay unchanged.
std::vector<std::uint8_t> convertGuarded(RowConverter convert, int bytes, const std::vector<std::uint32_t>& cells,
                                         std::int32_t count, std::size_t shift)
{
    const std::size_t size = cells.size() * bytes;
    std::vector<std::uint32_t> source(shift + cells.size() + 1, kGuardCell);
    std::copy(cells.begin(), cells.end(), source.begin() + shift);
    std::vector<std::uint8_t> destination(kGuardBytes + shift + size + kGuardBytes, kGuardByte);
    std::uint8_t* pixels = destination.data() + kGuardBytes + shift;

    ASAN_POISON_MEMORY_REGION(&source.back(), sizeof source.back());
    ASAN_POISON_MEMORY_REGION(pixels + size, kGuardBytes);
    convert(source.data() + shift, pixels, count);
    ASAN_UNPOISON_MEMORY_REGION(&source.back(), sizeof source.back());
    ASAN_UNPOISON_MEMORY_REGION(pixels + size, kGuardBytes);

    const auto isGuard = [](std::uint8_t byte) { return byte == kGuardByte; };
    EXPECT_TRUE(std::all_of(destination.data(), pixels, isGuard)) << "written before the row";
    EXPECT_TRUE(std::all_of(pixels + size, destination.data() + destination.size(), isGuard))
        << "written after the row";
    return {pixels, pixels + size};
}

void expectPixels(const Expected& layout, const std::vector<std::uint32_t>& cells, const std::vector<std::uint8_t>& pixels)
{
    const std::uint32_t kept = layout.bytes == 4 ? 0xFFFFFFFF : (1u << 8 * layout.bytes) - 1;
    for (std::size_t i = 0; i < cells.size(); ++i)
        ASSERT_EQ(readPixel(&pixels[i * layout.bytes], layout.bytes), layout.pixel(cells[i]) & kept)
            << "pixel " << i << " of cell " << std::hex << cells[i];
}

// Counts below every block size, around every block boundary, and a row of
// 641 that ends in a remainder; random cells with random top bytes.
TEST(ConvertersTest, EveryCountConvertsExactlyItsCells)
{
    std::vector<std::int32_t> counts{-1, 641};
    for (std::int32_t count = 0; count <= 70; ++count)
        counts.push_back(count);

    std::mt19937 generator(20240603);
    for (const PixelLayout& layout : pixelLayouts()) {
        const Expected& expected = expectedOf(layout);
        for (const Converter& converter : convertersOf(layout)) {
            for (std::int32_t count : counts) {
                SCOPED_TRACE(testing::Message() << converter.name << ", count " << count);
                std::vector<std::uint32_t> cells(std::max(count, 0));
                for (std::uint32_t& cell : cells)
                    cell = generator();
                const auto pixels = convertGuarded(converter.convert, layout.bytes, cells, count, cells.size() % 4);
                expectPixels(expected, cells, pixels);
            }
        }
    }
}

// Every colour, each with its own top byte: the block paths give exactly the
// per-pixel result wherever the cell lies in the row.
TEST(ConvertersTest, BlockPathsMatchThePerPixelPathForEveryColour)
{
    constexpr std::int32_t kRow = 4099;
    std::vector<std::uint32_t> cells(kRow);
    std::vector<std::uint8_t> block(kRow * 4), perPixel(kRow * 4);
    for (const PixelLayout& layout : pixelLayouts()) {
        for (const Converter& converter : convertersOf(layout)) {
            if (converter.plain)
                continue;
            SCOPED_TRACE(converter.name);
            for (std::uint32_t first = 0; first < 1u << 24; first += kRow) {
                for (std::int32_t i = 0; i < kRow; ++i) {
                    const std::uint32_t colour = (first + i) & 0xFFFFFF;
                    cells[i] = colour | ((colour * 2654435761u) & 0xFF000000);
                }
                converter.convert(cells.data(), block.data(), kRow);
                layout.plain(cells.data(), perPixel.data(), kRow);
                ASSERT_EQ(block, perPixel) << "in the row from colour " << std::hex << first;
            }
        }
    }
}

// The values named for the layouts, in a row of 19 equal cells, so that they
// pass through whole blocks and through the remainder alike.
TEST(ConvertersTest, NamedCellsGiveTheirPixels)
{
    struct Case {
        const char* layout;
        std::uint32_t cell;
        std::uint32_t pixel;
    };
    const Case cases[] = {
        // White keeps every kept bit; channels below 4 lose all of theirs.
        {"Rgb565", 0x00FFFFFF, 0xFFFF}, {"Bgr565", 0x00FFFFFF, 0xFFFF},
        {"Rgb555", 0x00FFFFFF, 0x7FFF}, {"Bgr555", 0x00FFFFFF, 0x7FFF},
        {"Rgb565", 0x00030303, 0},      {"Bgr565", 0x00030303, 0},
        {"Rgb555", 0x00030303, 0},      {"Bgr555", 0x00030303, 0},
        // Pure red lands at the top or at the bottom.
        {"Rgb565", 0x00FF0000, 0xF800}, {"Bgr565", 0x00FF0000, 0x001F},
        {"Rgb555", 0x00FF0000, 0x7C00}, {"Bgr555", 0x00FF0000, 0x001F},
        // Only the copy carries the top byte.
        {"Copy32", 0xAB123456, 0xAB123456}, {"Swap32", 0xAB123456, 0x00563412},
        {"Pack24", 0xAB123456, 0x123456},   {"Pack24Swap", 0xAB123456, 0x563412},
        {"Rgb565", 0xFF000000, 0},          {"Bgr555", 0xFF000000, 0},
    };
    for (const Case& c : cases) {
        const PixelLayout* layout = findPixelLayout(c.layout);
        ASSERT_NE(layout, nullptr) << c.layout;
        for (const Converter& converter : convertersOf(*layout)) {
            SCOPED_TRACE(testing::Message() << converter.name << " of " << std::hex << c.cell);
            const std::vector<std::uint32_t> cells(19, c.cell);
            const auto pixels = convertGuarded(converter.convert, layout->bytes, cells, 19, 0);
            for (std::size_t i = 0; i < cells.size(); ++i)
                ASSERT_EQ(readPixel(&pixels[i * layout->bytes], layout->bytes), c.pixel) << "pixel " << i;
        }
    }
}

TEST(ConvertersTest, ChoiceNeedsBitCountAndAllThreeMasksToMatch)
{
    // Every layout is chosen by exactly its bit count and masks (a display
    // with an alpha channel reports the same three colour masks, alpha
    // having its own, never passed, so 32-bit ARGB copies), and gets the
    // converter of the fastest path.
    ASSERT_EQ(pixelLayouts().size(), std::size(kExpected));
    for (const Expected& e : kExpected) {
        const PixelLayout* layout = findPixelLayout(e.name);
        ASSERT_NE(layout, nullptr) << e.name;
        EXPECT_EQ(layout->bytes, e.bytes) << e.name;
        RowConverter fastest = nullptr;
        for (const ConverterPath& path : converterPaths())
            if (RowConverter convert = converterOn(path, *layout); convert && path.available())
                fastest = convert;
        EXPECT_EQ(fastestConverter(*layout), fastest) << e.name;
        EXPECT_EQ(chooseRowConverter(e.bits, e.red, e.green, e.blue), fastest) << e.name;
    }

    struct Case {
        std::uint32_t bits, red, green, blue;
    };
    const Case cases[] = {
        // Bit counts or masks that no row has.
        {15, 0x7C00, 0x3E0, 0x1F},
        {8, 0, 0, 0},
        {16, 0xF800, 0x3E0, 0x1F},
        {16, 0xFF0000, 0xFF00, 0xFF},
        {24, 0xF800, 0x7E0, 0x1F},
        {32, 0xFF000000, 0xFF0000, 0xFF00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseRowConverter(c.bits, c.red, c.green, c.blue), nullptr)
            << c.bits << " bits, masks " << std::hex << c.red << " " << c.green << " " << c.blue;
}

} // namespace
