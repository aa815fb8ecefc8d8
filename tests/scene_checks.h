// Helpers for tests of scene records: vectors and matrices as comparable arrays.
#pragma once

#include "scene/scene.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>

using Floats3 = std::array<float, 3>;
using Floats9 = std::array<float, 9>;

inline Floats3 values(const Vec3& v) { return {v.x, v.y, v.z}; }

inline Floats9 values(const float (&m)[3][3])
{
    return {m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]};
}

// Element by element within `tolerance`.
template <std::size_t N>
testing::AssertionResult near(const std::array<float, N>& actual, const std::array<float, N>& expected,
                              float tolerance)
{
    for (std::size_t i = 0; i < N; ++i)
        if (!(std::fabs(actual[i] - expected[i]) <= tolerance))
            return testing::AssertionFailure() << "element " << i << " is " << actual[i] << ", expected "
                                               << expected[i] << " within " << tolerance;
    return testing::AssertionSuccess();
}
