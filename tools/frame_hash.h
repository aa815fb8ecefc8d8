// The fingerprint of a drawn frame, shared by the frame tool and the tests.
#pragma once

#include "render/pixel_buffer.h"
#include "runtime/fnv_hash.h"

#include <cstddef>
#include <cstdint>

// FNV-1a over the colour cells, row by row, each cell as its four bytes
// lowest first (whatever the CPU's byte order): any change of any pixel
// changes it.
inline std::uint64_t frameHash(const PixelBuffer& colour)
{
    FnvHash hash;
    std::size_t count = static_cast<std::size_t>(colour.width) * static_cast<std::size_t>(colour.height);
    for (std::size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            hash.addByte(static_cast<std::uint8_t>(colour.cells[i] >> shift));
    return hash.value;
}
