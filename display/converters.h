// Conversion of rows of 32-bit cells into the display's pixel layout.
#pragma once

#include <cstdint>

// Converts count cells (0x00RRGGBB) at source into count pixels of one layout
// at destination. Reads exactly count cells and writes exactly count pixels.
using RowConverter = void (*)(const std::uint32_t* source, void* destination, std::int32_t count);

// The converter for a layout given as the display reports it: bits per pixel
// and the red, green and blue masks. Null when the layout is not supported.
RowConverter chooseRowConverter(std::uint32_t bitCount, std::uint32_t redMask,
                                std::uint32_t greenMask, std::uint32_t blueMask);

void convertCopy32(const std::uint32_t* source, void* destination, std::int32_t count);
void convertSwap32(const std::uint32_t* source, void* destination, std::int32_t count);
void convertPack24(const std::uint32_t* source, void* destination, std::int32_t count);
void convertPack24Swap(const std::uint32_t* source, void* destination, std::int32_t count);
void convertRgb565(const std::uint32_t* source, void* destination, std::int32_t count);
void convertBgr565(const std::uint32_t* source, void* destination, std::int32_t count);
void convertRgb555(const std::uint32_t* source, void* destination, std::int32_t count);
void convertBgr555(const std::uint32_t* source, void* destination, std::int32_t count);
