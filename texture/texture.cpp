// Textures: texel maps and their mip chains.
#include "texture/texture.h"

#include "runtime/arena.h"

#include <cassert>
#include <cmath>

namespace {

// Texel rows start on cache lines, ready for wide loads.
constexpr std::size_t kTexelAlignment = 64;

// Textures made without an owner: they live until the program ends.
Arena& programTextures()
{
    static Arena arena("textures");
    return arena;
}

// The per-channel floor of the mean of four texels. Each channel is summed
// in place under its mask: four 8-bit values need 10 bits, which the two
// bits of shift bring back under the same mask, so no channel spills into
// its neighbour and the top byte never reaches the result.
std::uint32_t averageOfFour(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    std::uint32_t red = (a & 0xFF0000) + (b & 0xFF0000) + (c & 0xFF0000) + (d & 0xFF0000);
    std::uint32_t green = (a & 0xFF00) + (b & 0xFF00) + (c & 0xFF00) + (d & 0xFF00);
    std::uint32_t blue = (a & 0xFF) + (b & 0xFF) + (c & 0xFF) + (d & 0xFF);
    return ((red >> 2) & 0xFF0000) | ((green >> 2) & 0xFF00) | ((blue >> 2) & 0xFF);
}

// Writes the 2 x 2 means of `from` into `to`, which has half its size (an
// odd last row or column takes no part).
void reduceLevel(const Texture& from, Texture& to)
{
    for (std::int32_t y = 0; y <= from.height - 2; y += 2) {
        for (std::int32_t x = 0; x <= from.width - 2; x += 2) {
            std::uint32_t mean = averageOfFour(getTexel(from, x, y), getTexel(from, x + 1, y),
                                               getTexel(from, x, y + 1), getTexel(from, x + 1, y + 1));
            setTexel(to, x / 2, y / 2, mean);
        }
    }
}

} // namespace

Texture* createTexture(Arena& storage, std::int32_t width, std::int32_t height, std::uint32_t fill)
{
    auto* texture = newRecord<Texture>(storage);
    texture->width = width > 1 ? width : 1;
    texture->height = height > 1 ? height : 1;
    std::size_t count = static_cast<std::size_t>(texture->width) * static_cast<std::size_t>(texture->height);
    texture->texels = newArray<std::uint32_t>(storage, count, kTexelAlignment);
    texture->widthLog2 = static_cast<std::int32_t>(std::lrint(std::log(double(texture->width)) / std::log(2.0)));
    texture->nextLevel = texture;
    texture->storage = &storage;
    for (std::size_t i = 0; i < count; ++i) // row by row
        texture->texels[i] = fill;
    return texture;
}

Texture* createTexture(std::int32_t width, std::int32_t height, std::uint32_t fill)
{
    return createTexture(programTextures(), width, height, fill);
}

void setTexel(Texture& texture, std::int32_t x, std::int32_t y, std::uint32_t value)
{
    assert(x >= 0 && x < texture.width && y >= 0 && y < texture.height);
    texture.texels[static_cast<std::size_t>(y) * texture.width + x] = value;
}

std::uint32_t getTexel(const Texture& texture, std::int32_t x, std::int32_t y)
{
    assert(x >= 0 && x < texture.width && y >= 0 && y < texture.height);
    return texture.texels[static_cast<std::size_t>(y) * texture.width + x];
}

void buildMipChain(Texture& texture)
{
    // Level by level down the chain; a level built by an earlier call has
    // exactly the halved size and is overwritten in place.
    for (Texture* level = &texture;; level = level->nextLevel) {
        if (level->width < 2 || level->height < 2) {
            level->nextLevel = level;
            return;
        }
        if (level->nextLevel == level) {
            Arena& storage = level->storage ? *level->storage : programTextures();
            level->nextLevel = createTexture(storage, level->width / 2, level->height / 2, 0);
        }
        reduceLevel(*level, *level->nextLevel);
    }
}
