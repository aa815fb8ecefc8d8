// Buffers, texture chains and corners built by hand for the renderer's tests.
#pragma once

#include "render/pixel_buffer.h"
#include "render/screen_corner.h"
#include "render/span_paths.h"
#include "texture/texture.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
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

// Reals from every corner of the float line: ordinary values in and around
// the buffer, pixel centres and the halfway points between them, huge and
// tiny magnitudes, the edges of the 32-bit integer range, infinities, NaN.
struct HostileReals {
    std::mt19937 bits{20240611};

    std::uint32_t below(std::uint32_t n) { return bits() % n; }
    float uniform(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(bits() >> 8) * 0x1p-24f; }

    // Mostly ordinary values in [lo, hi), otherwise one of the hostile kinds.
    float next(float lo, float hi)
    {
        switch (below(24)) {
        case 0: return std::numeric_limits<float>::infinity();
        case 1: return -std::numeric_limits<float>::infinity();
        case 2: return std::numeric_limits<float>::quiet_NaN();
        case 3: return uniform(-1, 1) * std::numeric_limits<float>::max();
        case 4: return uniform(-1, 1) * 1e-38f;
        case 5: return (below(2) ? 1 : -1) * std::ldexp(1.0f, static_cast<int>(below(40)) + 20); // 2^20..2^59
        case 6: return (below(2) ? 1.0f : -1.0f) * 2147483520.0f;                            // near 2^31
        case 7: return std::round(uniform(lo, hi)) + (below(2) ? 0.5f : 0.0f);
        case 8: return 0.0f;
        default: return uniform(lo, hi);
        }
    }
};

// The pixel loops this build and CPU can run, the scalar reference first.
inline std::vector<const SpanPath*> availableSpanPaths()
{
    std::vector<const SpanPath*> paths;
    for (const SpanPath& p : spanPaths())
        if (p.available())
            paths.push_back(&p);
    return paths;
}

// Makes the rasterizer use one pixel loop while in scope.
class UsingSpanPath {
public:
    explicit UsingSpanPath(const SpanPath& path) : before_(currentSpanPath()) { useSpanPath(path); }
    ~UsingSpanPath() { useSpanPath(before_); }
    UsingSpanPath(const UsingSpanPath&) = delete;
    UsingSpanPath& operator=(const UsingSpanPath&) = delete;

private:
    const SpanPath& before_;
};
