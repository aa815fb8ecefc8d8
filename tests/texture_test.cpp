// Textures: creation, texel access and the mip chain.
#include "runtime/arena.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<int, int>> levelSizes(const Texture& top)
{
    std::vector<std::pair<int, int>> sizes;
    const Texture* level = &top;
    for (; level->nextLevel != level; level = level->nextLevel)
        sizes.push_back({level->width, level->height});
    sizes.push_back({level->width, level->height});
    return sizes;
}

} // namespace

TEST(Texture, NewTextureIsFilledRefersToItselfAndHasTheNearestLog2OfItsWidth)
{
    const std::pair<int, int> widthLog2[] = {{1, 0}, {5, 2}, {6, 3}, {8, 3}, {128, 7}, {256, 8}};
    for (auto [width, log2] : widthLog2) {
        Texture* t = createTexture(width, 3, 0xABCDEF);
        EXPECT_EQ(t->widthLog2, log2) << width;
        EXPECT_EQ(t->nextLevel, t);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(getTexel(*t, x, y), 0xABCDEFu);
    }
    // A size below 1 counts as 1, so there is always a texel to read.
    Texture* empty = createTexture(0, -5, 7);
    EXPECT_EQ(empty->width, 1);
    EXPECT_EQ(empty->height, 1);
    EXPECT_EQ(getTexel(*empty, 0, 0), 7u);
}

TEST(Texture, TexelsAreStoredRowByRow)
{
    Texture* t = createTexture(4, 2, 0);
    setTexel(*t, 3, 1, 0x123456);
    setTexel(*t, 1, 0, 0x654321);
    EXPECT_EQ(t->texels[1 * 4 + 3], 0x123456u);
    EXPECT_EQ(t->texels[(0 << t->widthLog2) + 1], 0x654321u);
    EXPECT_EQ(getTexel(*t, 3, 1), 0x123456u);
}

TEST(MipChain, LevelsHalveWithTruncationUntilASideIsBelowTwo)
{
    using Sizes = std::vector<std::pair<int, int>>;
    const std::pair<std::pair<int, int>, Sizes> cases[] = {
        {{256, 256}, {{256, 256}, {128, 128}, {64, 64}, {32, 32}, {16, 16}, {8, 8}, {4, 4}, {2, 2}, {1, 1}}},
        {{8, 16}, {{8, 16}, {4, 8}, {2, 4}, {1, 2}}},
        {{3, 5}, {{3, 5}, {1, 2}}},
        {{4, 1}, {{4, 1}}},
        {{1, 64}, {{1, 64}}},
        {{1, 1}, {{1, 1}}},
    };
    for (const auto& [size, expected] : cases) {
        Texture* t = createTexture(size.first, size.second, 0);
        buildMipChain(*t);
        EXPECT_EQ(levelSizes(*t), expected) << size.first << "x" << size.second;
    }
    Texture* t = createTexture(128, 128, 0);
    buildMipChain(*t);
    EXPECT_EQ(levelSizes(*t).size(), 8u);
}

TEST(MipChain, EachTexelIsTheFloorOfTheMeanOfEachChannelAndTheTopByteIsDropped)
{
    Texture* t = createTexture(2, 2, 0);
    setTexel(*t, 0, 0, 0x000000);
    setTexel(*t, 1, 0, 0x0000FF);
    setTexel(*t, 0, 1, 0x00FF00);
    setTexel(*t, 1, 1, 0xFFFFFF);
    buildMipChain(*t);
    EXPECT_EQ(getTexel(*t->nextLevel, 0, 0), 0x3F7F7Fu);

    // Top bytes set everywhere: they must neither reach the result nor carry
    // into the red channel.
    for (int i = 0; i < 4; ++i)
        t->texels[i] |= 0xFF000000;
    buildMipChain(*t);
    EXPECT_EQ(getTexel(*t->nextLevel, 0, 0), 0x3F7F7Fu);

    // Random texels of an odd-sized texture against a channel-by-channel
    // reference; the last row and column take no part.
    std::mt19937 generator(5);
    Texture* odd = createTexture(9, 7, 0);
    for (int i = 0; i < 9 * 7; ++i)
        odd->texels[i] = generator();
    buildMipChain(*odd);
    const Texture& half = *odd->nextLevel;
    ASSERT_EQ(half.width, 4);
    ASSERT_EQ(half.height, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::uint32_t expected = 0;
            for (int shift : {0, 8, 16}) {
                std::uint32_t sum = 0;
                for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
                    sum += getTexel(*odd, 2 * x + dx, 2 * y + dy) >> shift & 0xFF;
                expected |= sum / 4 << shift;
            }
            ASSERT_EQ(getTexel(half, x, y), expected) << x << "," << y;
        }
    }
}

TEST(MipChain, ARefreshReusesEveryLevelAndAllocatesNothing)
{
    Arena storage("test textures");
    Texture* t = createTexture(storage, 16, 8, 0x808080);
    buildMipChain(*t);
    std::vector<const Texture*> levels;
    for (const Texture* level = t; levels.empty() || level != levels.back(); level = level->nextLevel)
        levels.push_back(level);
    std::size_t reserved = storage.reservedBytes();

    for (int i = 0; i < 16 * 8; ++i)
        t->texels[i] = 0x204060;
    buildMipChain(*t);
    EXPECT_EQ(storage.reservedBytes(), reserved);
    std::size_t i = 0;
    for (const Texture* level = t; i < levels.size(); level = level->nextLevel, ++i) {
        ASSERT_EQ(level, levels[i]);
        EXPECT_EQ(getTexel(*level, 0, 0), 0x204060u);
    }
    // Any number of steps stays on the last level.
    const Texture* level = t;
    for (int step = 0; step < 100; ++step)
        level = level->nextLevel;
    EXPECT_EQ(level, levels.back());
    EXPECT_EQ(level->nextLevel, level);
}
