// Arenas: zero-filled, aligned, stable pieces.
#include "runtime/arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

TEST(Arena, PiecesAreZeroAlignedAndStayPutWhileTheArenaGrows)
{
    Arena arena("test");
    std::vector<std::pair<unsigned char*, std::size_t>> pieces;
    // Mixed sizes and alignments, with one piece larger than any block.
    const std::size_t sizes[] = {1, 24, 56, 3, 4096, 100, 3 << 20, 8};
    const std::size_t alignments[] = {1, 8, 8, 2, 64, 16, 64, 4};
    for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < 8; ++i) {
            if (sizes[i] > 4096 && round > 0)
                continue;
            auto* p = static_cast<unsigned char*>(arena.allocate(sizes[i], alignments[i]));
            ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignments[i], 0u);
            for (std::size_t b = 0; b < sizes[i]; ++b)
                ASSERT_EQ(p[b], 0) << "piece " << i << " byte " << b;
            std::memset(p, round + 1, sizes[i]);
            pieces.push_back({p, sizes[i]});
        }
    }
    // Nothing was overwritten by a later piece.
    std::size_t index = 0;
    for (int round = 0; round < 200; ++round)
        for (int i = 0; i < 8; ++i) {
            if (sizes[i] > 4096 && round > 0)
                continue;
            auto [p, size] = pieces[index++];
            ASSERT_EQ(p[0], round + 1);
            ASSERT_EQ(p[size - 1], round + 1);
        }
}

TEST(Arena, RecordsMadeOneAfterAnotherAreNeighbours)
{
    struct Record {
        double a;
        int b;
    };
    Arena arena("test");
    Record* first = newRecord<Record>(arena);
    Record* second = newRecord<Record>(arena);
    EXPECT_EQ(second, first + 1);
    std::size_t reserved = arena.reservedBytes();
    newRecord<Record>(arena);
    EXPECT_EQ(arena.reservedBytes(), reserved); // no new block for a small record
}
