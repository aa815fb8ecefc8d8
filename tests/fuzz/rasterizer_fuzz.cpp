// libFuzzer target: any bytes as three screen corners, a buffer size and a
// texture level; the sanitizers stop the run at any access outside them.
#include "render/pixel_buffer.h"
#include "render/rasterizer.h"
#include "texture/texture.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::array<ScreenCorner, 3> corners;
    if (size < sizeof corners + 3)
        return 0;
    std::memcpy(corners.data(), data, sizeof corners);
    data += sizeof corners;

    // Buffers of 1 to 64 columns and rows, a level of 2^a x 2^b texels.
    const std::int32_t width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const std::int32_t widthLog2 = data[2] % 9, heightLog2 = data[2] / 9 % 9;
    auto depth = createPixelBuffer(width, height, nullptr);
    auto colour = createPixelBuffer(width, height, depth.get());
    std::vector<std::uint32_t> texels(std::size_t{1} << (widthLog2 + heightLog2), 0x00FFFFFF);
    Texture level{};
    level.texels = texels.data();
    level.width = 1 << widthLog2;
    level.height = 1 << heightLog2;
    level.widthLog2 = widthLog2;
    level.nextLevel = &level;

    rasterizeTriangle(corners, level, *colour);
    return 0;
}
