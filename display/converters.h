// Conversion of rows of 32-bit cells into the display's pixel layouts.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Converts count cells (0x00RRGGBB) at source into count pixels of one layout
// at destination. Reads exactly count cells and writes exactly count pixels.
using RowConverter = void (*)(const std::uint32_t* source, void* destination, std::int32_t count);

// One of the display's pixel layouts: a row of the table in converters.cpp.
struct PixelLayout {
    const char* name;                               // "Copy32", "Rgb565", ...
    std::uint32_t bitCount, redMask, greenMask, blueMask; // as the display reports it
    std::int32_t bytes;                             // bytes per pixel
    RowConverter plain;                             // one pixel at a time, the reference
};

// Every layout, 32, 24 and 16 bits a pixel.
std::span<const PixelLayout> pixelLayouts();
// The layout of that name, or null.
const PixelLayout* findPixelLayout(std::string_view name);

// A layout's converter on a path, by the layout's name.
struct LayoutConverter {
    const char* layout;
    RowConverter convert;
};

// A way of converting: "plain" (every layout's per-pixel path), or an
// instruction set's block paths for the layouts it speeds up (a row of the
// table in converters.cpp; each set's unit converters_<set>.cpp offers its
// converters).
struct ConverterPath {
    const char* name;
    bool (*available)();                       // whether this CPU can run it
    std::span<const LayoutConverter> converters; // none: the plain paths
};

// Every path compiled into this build, "plain" first, slowest to fastest.
std::span<const ConverterPath> converterPaths();
// The path's converter for the layout, or null when it has none for it.
RowConverter converterOn(const ConverterPath& path, const PixelLayout& layout);
// The layout's converter on the fastest available path that has one,
// chosen once for the whole run.
RowConverter fastestConverter(const PixelLayout& layout);

// The fastest converter for a layout given as the display reports it: bits
// per pixel and the red, green and blue masks. Null when the layout is not
// supported.
RowConverter chooseRowConverter(std::uint32_t bitCount, std::uint32_t redMask,
                                std::uint32_t greenMask, std::uint32_t blueMask);
