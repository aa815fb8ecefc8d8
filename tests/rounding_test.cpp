// Rounding to float survives the optimiser.
#include "runtime/floating_point.h"

#include <gtest/gtest.h>

namespace {

// Two sums of products rounded to float and then widened again: the shape
// in which GCC 12's -O2 vectoriser keeps the sums in double after a plain
// conversion. Kept out of line and out of constant propagation so the
// optimiser sees only the shape, not the values.
[[gnu::noipa]] void pairedRoundings(const float* a, const float* b, const float* x, double* out)
{
    float t0 = roundToFloat(double(a[0]) * b[0] + double(a[1]) * b[1]);
    float t1 = roundToFloat(double(a[2]) * b[2] + double(a[3]) * b[3]);
    out[0] = double(x[0]) + t0;
    out[1] = double(x[1]) + t1;
}

} // namespace

TEST(RoundToFloat, AValueRoundedToFloatStaysRoundedWhenWidenedAgain)
{
    // 1 + 2^-30 is not a float; rounded, it is 1.
    const float a[] = {1.0f, 0x1p-30f, 1.0f, -0x1p-30f};
    const float b[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float x[] = {0.0f, 0.0f};
    double out[2];
    pairedRoundings(a, b, x, out);
    EXPECT_EQ(out[0], 1.0);
    EXPECT_EQ(out[1], 1.0);
}
