// Textures: texel maps and their mip chains.
#pragma once

#include <cstdint>

class Arena;

// A width x height map of texels 0x00RRGGBB, row by row: texel (x, y) is
// element y * width + x. `nextLevel` is the half-size level below this one;
// the smallest level refers to itself, so the chain can be followed any
// number of times without a test for its end.
struct Texture {
    std::uint32_t* texels;
    std::int32_t width;
    std::int32_t height;
    std::int32_t widthLog2; // nearest integer to log2(width): the row shift of texel lookups
    Texture* nextLevel;
    Arena* storage;         // holds this level, its texels and the levels built below it
};

// A new texture filled with `fill`, with no smaller level (it refers to
// itself). Width and height are at least 1; a smaller size counts as 1, so a
// texture always has a texel.
//
// The texture, its texels and the levels that buildMipChain adds below it
// come from `storage` and live as long as it does. Without `storage` they
// come from an arena of the program's that lives until the program ends.
Texture* createTexture(Arena& storage, std::int32_t width, std::int32_t height, std::uint32_t fill);
Texture* createTexture(std::int32_t width, std::int32_t height, std::uint32_t fill);

// Texel access; (x, y) must lie inside the texture.
void setTexel(Texture& texture, std::int32_t x, std::int32_t y, std::uint32_t value);
std::uint32_t getTexel(const Texture& texture, std::int32_t x, std::int32_t y);

// Builds, or refreshes in place, the chain of levels below the texture by
// 2 x 2 averaging, down to a level with a width or height below 2. A refresh
// reuses the levels already there and allocates nothing.
void buildMipChain(Texture& texture);
