// The row and pixel loops: every vector loop sets up and draws exactly the
// scalar loop's spans and pixels.
#include "render/span.h"

#include "tests/render_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// One span drawn into its own copies of a row pair.
struct Drawn {
    std::vector<std::uint32_t> colour, depth;
    std::int64_t count;
};

Drawn drawWith(const SpanPath& path, const Span& span, const SpanLevel& level, const std::vector<std::uint32_t>& colour,
               const std::vector<std::uint32_t>& depth)
{
    UsingSpanPath using_(path);
    // Rows of exactly the row's width: under the sanitizers a lane past its
    // end stops the test.
    Drawn d{colour, depth, 0};
    d.count = currentSpanLoop()(span, level, d.colour.data(), d.depth.data());
    return d;
}

// Spans of every kind on rows whose depth holds anything a float can: the
// same cells, the same depths and the same count from every path, and
// nothing outside the span touched. Short rows put most columns in the
// vector loops' last, partial steps.
TEST(SpanPaths, VectorLoopsMatchTheScalarLoopOnHostileSpans)
{
    const std::vector<const SpanPath*> paths = availableSpanPaths();
    if (paths.size() < 2)
        GTEST_SKIP() << "no vector loop in this build or on this CPU";
    TexelChain textures[] = {{1, 1}, {2, 8}, {64, 16}, {256, 1}};

    HostileReals r;
    std::int64_t drawn = 0, columns = 0;
    for (int i = 0; i < 60000; ++i) {
        const auto width = static_cast<std::int32_t>(1 + r.below(i % 4 == 0 ? 700 : 40));
        Span span;
        span.xs = static_cast<std::int32_t>(r.below(width));
        span.xe = span.xs - 1 + static_cast<std::int32_t>(r.below(width - span.xs + 1));
        span.xl = r.below(4) ? span.xs - r.uniform(-0.5f, 0.5f) : r.next(-2.0f * width, 2.0f * width);
        span.gInvZ = r.next(-0.01f, 0.01f);
        span.invZ = r.next(0.0f, 2.0f);
        span.gU = r.next(-50, 50);
        span.gV = r.next(-50, 50);
        span.gS = r.next(-30, 30);
        span.u = r.next(-1000, 1000);
        span.v = r.next(-1000, 1000);
        span.s = r.next(-300, 300);
        const Texture& t = textures[r.below(4)].top();
        const SpanLevel level{t.texels, static_cast<std::uint32_t>(t.width - 1),
                              static_cast<std::uint32_t>(t.height - 1), t.widthLog2};

        std::vector<std::uint32_t> colour(width), depth(width);
        for (std::int32_t x = 0; x < width; ++x) {
            colour[x] = static_cast<std::uint32_t>(r.bits());
            depth[x] = r.below(3) ? 0u : std::bit_cast<std::uint32_t>(r.next(0.0f, 2.0f));
        }

        const Drawn reference = drawWith(scalarSpanPath(), span, level, colour, depth);
        for (std::int32_t x = 0; x < width; ++x) {
            const bool outside = x < span.xs || x > span.xe;
            ASSERT_TRUE(!outside || (reference.colour[x] == colour[x] && reference.depth[x] == depth[x])) << i;
        }
        for (const SpanPath* path : paths) {
            const Drawn d = drawWith(*path, span, level, colour, depth);
            SCOPED_TRACE(std::string(path->name) + ", span " + std::to_string(i));
            ASSERT_EQ(d.count, reference.count);
            ASSERT_EQ(d.depth, reference.depth);
            ASSERT_EQ(d.colour, reference.colour);
        }
        drawn += reference.count;
        columns += span.xe - span.xs + 1;
    }
    EXPECT_GT(drawn, columns / 4); // most spans reach the texels and the light, not only the depth test
}

// Batches of one to a full batch of rows with hostile edges (NaN,
// infinities, edges that cross, meet or lie beyond the 32-bit range, column
// centres on an edge) set up and drawn by every path's row loop: the same
// frame and count as the scalar row loop, the lanes past a partial batch's
// count left out whatever they hold. Each row of a batch is a row of its own in the frame.
TEST(SpanPaths, VectorRowLoopsMatchTheScalarRowLoopOnHostileEdges)
{
    const std::vector<const SpanPath*> paths = availableSpanPaths();
    if (paths.size() < 2)
        GTEST_SKIP() << "no vector loop in this build or on this CPU";
    TexelChain texture(64, 16);
    const Texture& t = texture.top();
    const RowTarget blank{nullptr, nullptr, 0,
                          {t.texels, static_cast<std::uint32_t>(t.width - 1), static_cast<std::uint32_t>(t.height - 1),
                           t.widthLog2}};

    HostileReals r;
    std::int64_t drawn = 0;
    RowBatch rows; // lanes past the count keep an earlier batch's rows
    for (int i = 0; i < 20000; ++i) {
        const auto width = static_cast<std::int32_t>(1 + r.below(i % 4 == 0 ? 300 : 24));
        rows.count = 1 + i % RowBatch::kRows;
        for (int k = 0; k < rows.count; ++k) {
            rows.y[k] = rows.count - 1 - k; // any order
            WalkedRow& row = rows.row[k];
            const float x = r.uniform(-0.5f * width, 1.5f * width);
            row.xl = r.below(4) ? x : r.next(-2.0f * width, 2.0f * width);
            row.xr = r.below(4) ? x + std::round(r.uniform(-2, 1.2f * width)) + (r.below(2) ? 0.499f : 0.0f)
                                : r.next(-2.0f * width, 2.0f * width);
            row.invZ = r.next(0.0f, 2.0f);
            row.u = r.next(-1000, 1000);
            row.v = r.next(-1000, 1000);
            row.s = r.next(-300, 300);
            row.dInvZ = r.next(-1, 1);
            row.dU = r.next(-1000, 1000);
            row.dV = r.next(-1000, 1000);
            row.dS = r.next(-300, 300);
        }
        const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(rows.count);
        std::vector<std::uint32_t> colour(cells), depth(cells);
        for (std::size_t c = 0; c < cells; ++c) {
            colour[c] = static_cast<std::uint32_t>(r.bits());
            depth[c] = r.below(3) ? 0u : std::bit_cast<std::uint32_t>(r.next(0.0f, 2.0f));
        }

        auto drawWithRows = [&](const SpanPath& path) {
            Drawn d{colour, depth, 0};
            RowTarget target = blank;
            target.colour = d.colour.data();
            target.depth = d.depth.data();
            target.width = width;
            d.count = path.rows(rows, target);
            return d;
        };
        const Drawn reference = drawWithRows(scalarSpanPath());
        for (const SpanPath* path : paths) {
            const Drawn d = drawWithRows(*path);
            SCOPED_TRACE(std::string(path->name) + ", batch " + std::to_string(i));
            ASSERT_EQ(d.count, reference.count);
            ASSERT_EQ(d.depth, reference.depth);
            ASSERT_EQ(d.colour, reference.colour);
        }
        drawn += reference.count;
    }
    EXPECT_GT(drawn, 100000); // the rows reach the pixels, not only the column clamps
}

TEST(SpanPaths, ScalarIsAlwaysThereAndUnavailablePathsAreRefused)
{
    EXPECT_TRUE(scalarSpanPath().available());
    EXPECT_EQ(&scalarSpanPath(), &spanPaths().front());
    for (const SpanPath& path : spanPaths()) {
        UsingSpanPath fastest(fastestSpanPath());
        EXPECT_EQ(useSpanPath(path), path.available());
        EXPECT_EQ(&currentSpanPath(), path.available() ? &path : &fastestSpanPath());
        EXPECT_EQ(findSpanPath(path.name), &path);
    }
    EXPECT_EQ(findSpanPath("no such path"), nullptr);
}

} // namespace
