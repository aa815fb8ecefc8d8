// Buffers, texture chains and corners built by hand for the renderer's tests.
#pragma once

#include "render/pixel_buffer.h"
#include "render/screen_corner.h"
#include "texture/texture.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

// A texture level over texels the caller keeps; the caller links nextLevel.
inline Texture levelOver(std::uint32_t* texels, std::int32_t width, std::int32_t height, std::int32_t widthLog2)
{
    Texture level{};
    level.texels = texels;
    level.width = width;
    level.height = height;
    level.widthLog2 = widthLog2;
    return level;
}

// A colour buffer with its depth buffer.
struct Frame {
    std::unique_ptr<PixelBuffer> depth;
    std::unique_ptr<PixelBuffer> colour;

    Frame(std::int32_t width, std::int32_t height)
        : depth(createPixelBuffer(width, height, nullptr)), colour(createPixelBuffer(width, height, depth.get()))
    {
    }
    std::size_t cells() const { return static_cast<std::size_t>(colour->width) * colour->height; }
    std::uint32_t at(int x, int y) const { return colour->cells[y * colour->width + x]; }
    float depthAt(int x, int y) const { return std::bit_cast<float>(depth->cells[y * colour->width + x]); }
    bool drawn(int x, int y) const { return depth->cells[y * colour->width + x] != 0; }
    std::vector<std::uint32_t> colourCells() const { return {colour->cells, colour->cells + cells()}; }
    std::vector<std::uint32_t> depthCells() const { return {depth->cells, depth->cells + cells()}; }
    std::int64_t drawnCount() const
    {
        std::int64_t n = 0;
        for (std::size_t i = 0; i < cells(); ++i)
            n += depth->cells[i] != 0;
        return n;
    }
};

// A mip chain whose texels tell where they came from: texel (x, y) of level
// n is 0xNNxxyy (red = n + tag, green = x, blue = y), so a pixel drawn at full
// light names the level and texel it sampled. Each level halves both sides;
// the last refers to itself.
struct TexelChain {
    std::vector<std::vector<std::uint32_t>> texels;
    std::vector<Texture> levels;

    TexelChain(std::int32_t width, std::int32_t height, int count = 1, std::uint32_t tag = 0)
    {
        texels.reserve(count);
        levels.reserve(count);
        for (int n = 0; n < count; ++n) {
            std::vector<std::uint32_t> t(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    t[y * width + x] = ((n + tag) & 0xFFu) << 16 | (x & 0xFFu) << 8 | (y & 0xFFu);
            texels.push_back(std::move(t));
            levels.push_back(levelOver(texels.back().data(), width, height, std::countr_zero(std::uint32_t(width))));
            width = width > 1 ? width / 2 : 1;
            height = height > 1 ? height / 2 : 1;
        }
        for (int n = 0; n < count; ++n)
            levels[n].nextLevel = &levels[n + 1 < count ? n + 1 : n];
    }
    Texture& top() { return levels.front(); }
};

struct Texel {
    int level, x, y;
    bool operator==(const Texel&) const = default;
};

// Which texel a pixel drawn at full light shows (see TexelChain).
inline Texel texelOf(std::uint32_t cell)
{
    return {int(cell >> 16 & 0xFF), int(cell >> 8 & 0xFF), int(cell & 0xFF)};
}

// A corner at depth z with texel coordinates (tu, tv) and light shade.
inline ScreenCorner corner(float x, float y, float z = 1.0f, float tu = 0.0f, float tv = 0.0f,
                           float shade = 256.0f)
{
    float invZ = 1.0f / z;
    return {x, y, invZ, tu * invZ, tv * invZ, shade * invZ};
}
