// Colour and depth buffers.
#include "render/pixel_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PixelBuffer, NewBuffersAreZeroAndClearZeroesBothArrays)
{
    auto depth = createPixelBuffer(7, 5, nullptr);
    auto colour = createPixelBuffer(7, 5, depth.get());
    EXPECT_EQ(colour->width, 7);
    EXPECT_EQ(colour->height, 5);
    EXPECT_EQ(colour->depthBuffer, depth.get());
    EXPECT_EQ(depth->depthBuffer, nullptr);
    for (int i = 0; i < 35; ++i) {
        EXPECT_EQ(colour->cells[i], 0u);
        EXPECT_EQ(depth->cells[i], 0u);
    }

    const float near = 0.25f;
    for (int i = 0; i < 35; ++i) {
        colour->cells[i] = 0xFFFFFFFF;
        std::memcpy(&depth->cells[i], &near, sizeof near);
    }
    clearFrame(*colour);
    for (int i = 0; i < 35; ++i) {
        EXPECT_EQ(colour->cells[i], 0u) << i;
        float d;
        std::memcpy(&d, &depth->cells[i], sizeof d);
        EXPECT_EQ(d, 0.0f) << i;
    }
}

TEST(PixelBuffer, EmptyAndLoneBuffersAreSafe)
{
    auto empty = createPixelBuffer(0, 480, nullptr);
    EXPECT_EQ(empty->width, 0);
    clearFrame(*empty);

    auto negative = createPixelBuffer(-3, 4, nullptr);
    EXPECT_EQ(negative->width, 0);
    EXPECT_EQ(negative->height, 4);

    auto lone = createPixelBuffer(3, 3, nullptr); // no depth buffer: only its own cells
    lone->cells[8] = 5;
    clearFrame(*lone);
    EXPECT_EQ(lone->cells[8], 0u);
}
