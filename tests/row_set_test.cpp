// Row sets: the rows of a frame dealt out to the threads of a team.
#include "render/row_set.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every row of a frame belongs to exactly one thread, and walking a set's
// runs visits exactly the rows the set holds, in order.
TEST(RowSets, EveryRowBelongsToExactlyOneThread)
{
    for (std::int32_t height : {1, 2, 3, 17, 479, 480, 1441}) {
        for (std::int32_t count : {1, 2, 3, 8, 16}) {
            std::vector<int> owners(height, 0);
            for (std::int32_t index = 0; index < count; ++index) {
                const RowSet rows = rowShare(index, count, height);
                ASSERT_TRUE(isRowSet(rows));
                std::int64_t expected = 0; // the next row the walk must reach
                for (RowRun r = runFrom(rows, 0); r.first < height; r = nextRun(rows, r)) {
                    ASSERT_LT(r.first, r.end);
                    for (std::int64_t y = r.first; y < r.end && y < height; ++y) {
                        ASSERT_GE(y, expected);
                        ASSERT_EQ(y / rows.run % count, index);
                        ++owners[y];
                        expected = y + 1;
                    }
                }
            }
            for (std::int32_t y = 0; y < height; ++y)
                ASSERT_EQ(owners[y], 1) << "height " << height << ", " << count << " threads, row " << y;
        }
    }
}

// runFrom finds the run that holds a row, or the next one, from any row,
// negative rows included (a triangle may start above the frame).
TEST(RowSets, RunFromStartsAtTheRunHoldingTheRowOrTheNextOne)
{
    const RowSet rows{1, 3, 4}; // rows 4-7, 16-19, 28-31, ...
    struct Case {
        std::int64_t y, first, end;
    };
    for (const Case& c : {Case{0, 4, 8}, Case{4, 4, 8}, Case{7, 4, 8}, Case{8, 16, 20}, Case{15, 16, 20},
                          Case{-1, 4, 8}, Case{-8, -8, -4}, Case{-9, -8, -4}}) {
        const RowRun r = runFrom(rows, c.y);
        EXPECT_EQ(r.first, c.first) << "row " << c.y;
        EXPECT_EQ(r.end, c.end) << "row " << c.y;
    }
    EXPECT_FALSE(isRowSet({0, 0, 1}));
    EXPECT_FALSE(isRowSet({2, 2, 1}));
    EXPECT_FALSE(isRowSet({0, 1, 0}));
}

} // namespace
