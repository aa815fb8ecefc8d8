// Textures: creation, texel layout and the mip chain.
#include "runtime/arena.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Sizes = std::vector<std::pair<int, int>>;

Sizes levelSizes(const Texture& top)
{
    Sizes sizes{{top.width, top.height}};
    for (const Texture* t = &top; t->nextLevel != t; t = t->nextLevel)
        sizes.push_back({t->nextLevel->width, t->nextLevel->height});
    return sizes;
}

} // namespace

TEST(Texture, NewTextureIsFilledRowByRowRefersToItselfAndHasTheNearestLog2OfItsWidth)
{
    for (auto [width, log2] : Sizes{{1, 0}, {5, 2}, {6, 3}, {8, 3}, {128, 7}, {256, 8}}) {
        Texture* t = createTexture(width, 3, 0xABCDEF);
        EXPECT_EQ(t->widthLog2, log2) << width;
        EXPECT_EQ(t->nextLevel, t);
        EXPECT_EQ(getTexel(*t, width - 1, 2), 0xABCDEFu);
    }
    Texture* t = createTexture(4, 2, 0);
    setTexel(*t, 3, 1, 0x123456);
    EXPECT_EQ(t->texels[(1 << t->widthLog2) + 3], 0x123456u);
    // A size below 1 counts as 1, so there is always a texel to read.
    Texture* empty = createTexture(0, -5, 7);
    EXPECT_EQ(levelSizes(*empty), (Sizes{{1, 1}}));
    EXPECT_EQ(getTexel(*empty, 0, 0), 7u);
}

TEST(MipChain, LevelsHalveWithTruncationUntilASideIsBelowTwo)
{
    const std::pair<std::pair<int, int>, Sizes> cases[] = {
        {{256, 256}, {{256, 256}, {128, 128}, {64, 64}, {32, 32}, {16, 16}, {8, 8}, {4, 4}, {2, 2}, {1, 1}}},
        {{8, 16}, {{8, 16}, {4, 8}, {2, 4}, {1, 2}}},
        {{3, 5}, {{3, 5}, {1, 2}}},
        {{4, 1}, {{4, 1}}},
        {{1, 64}, {{1, 64}}},
    };
    for (const auto& [size, expected] : cases) {
        Texture* t = createTexture(size.first, size.second, 0);
        buildMipChain(*t);
        EXPECT_EQ(levelSizes(*t), expected) << size.first << "x" << size.second;
    }
}

TEST(MipChain, EachTexelIsThePerChannelFloorOfTheMeanAndTheTopByteIsDropped)
{
    // The third row and column of a 3 x 3 texture take no part.
    Texture* t = createTexture(3, 3, 0x123456);
    const std::uint32_t corners[] = {0x000000, 0x0000FF, 0x00FF00, 0xFFFFFF};
    for (std::uint32_t top : {0x00000000u, 0xFF000000u}) { // the top byte must not carry into red
        for (int i = 0; i < 4; ++i)
            setTexel(*t, i % 2, i / 2, corners[i] | top);
        buildMipChain(*t);
        EXPECT_EQ(getTexel(*t->nextLevel, 0, 0), 0x3F7F7Fu);
    }
    for (int i = 0; i < 4; ++i) // channels of 1, 2, 3 and 4 average down to 2
        setTexel(*t, i % 2, i / 2, 0x010101u * (i + 1));
    buildMipChain(*t);
    EXPECT_EQ(getTexel(*t->nextLevel, 0, 0), 0x020202u);
}

TEST(MipChain, ARefreshReusesEveryLevelAndAllocatesNothing)
{
    Arena storage("test textures");
    Texture* t = createTexture(storage, 16, 8, 0x808080);
    buildMipChain(*t);
    const Texture* second = t->nextLevel;
    std::size_t reserved = storage.reservedBytes();
    for (int i = 0; i < 16 * 8; ++i)
        t->texels[i] = 0x204060;
    buildMipChain(*t);
    EXPECT_EQ(storage.reservedBytes(), reserved);
    EXPECT_EQ(t->nextLevel, second);
    // Any number of steps stays on the chain, every level refreshed.
    const Texture* level = t;
    for (int step = 0; step < 10; ++step, level = level->nextLevel)
        EXPECT_EQ(getTexel(*level, 0, 0), 0x204060u);
    EXPECT_EQ(std::pair(level->width, level->height), std::pair(2, 1));
}
