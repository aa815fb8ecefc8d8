// Floating-point set-up made before anything else runs, and rounding to float.
#pragma once

// Round to nearest (ties to even) and every floating-point exception masked,
// for the whole run: divisions by zero give infinities, invalid operations
// give NaNs, nothing traps. Intermediates the program wants wider than float
// are written as double in the code itself.
void initFloatingPoint();

// Rounds a double intermediate to float, and keeps it rounded whatever the
// optimiser does. Use it wherever a sum of products formed in double is
// rounded to float, above all where the rounded value then takes part in
// more double arithmetic.
//
// Why not a plain conversion: when GCC 12's basic-block (SLP) vectoriser,
// on at -O2, pairs two such roundings into one vector conversion double ->
// float and the results are widened again, a later pass (value numbering)
// folds the vector conversions double -> float -> double away as if they
// changed nothing, so the value silently stays double and the -O2 program
// computes something else than the -O0 one. The empty
// asm below claims to change the float in its register: the optimiser can no
// longer see where the value came from, so the pair cannot be folded. It
// costs no instruction and leaves every other vectorisation in place, which
// turning the SLP vectoriser off (-fno-tree-slp-vectorize, also exact) would
// not: that slows a vertex transform by about a quarter.
inline float roundToFloat(double wide)
{
    float narrow = static_cast<float>(wide);
#if defined(__GNUC__) && defined(__SSE2_MATH__)
    asm("" : "+x"(narrow));
#elif defined(__GNUC__) && defined(__aarch64__)
    asm("" : "+w"(narrow));
#elif defined(__GNUC__)
    asm("" : "+m"(narrow));
#endif
    return narrow;
}
