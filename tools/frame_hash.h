// The fingerprint of a drawn frame, shared by the frame tool and the tests.
#pragma once

#include "render/pixel_buffer.h"

#include <cstddef>
#include <cstdint>

// 64-bit FNV-1a over the colour cells, row by row, each cell as its four
// bytes lowest first: any change of any pixel changes it.
inline std::uint64_t frameHash(const PixelBuffer& colour)
{
    std::uint64_t hash = 0xcbf29ce484222325;
    std::size_t count = static_cast<std::size_t>(colour.width) * static_cast<std::size_t>(colour.height);
    for (std::size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (colour.cells[i] >> shift) & 0xFF;
            hash *= 0x100000001b3;
        }
    return hash;
}
