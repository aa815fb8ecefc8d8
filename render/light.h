// The light contract: how a light factor scales a texel, between the vertex
// pass that computes the factors and the pixel loops that apply them.
#pragma once

#include <cstdint>

// A light factor of kFullLight leaves a texel as it is; the vertex pass
// gives a vertex facing the light straight on this factor.
constexpr std::int32_t kFullLight = 256;

// A pixel's light factor never drops below this, so surfaces turned away
// from the light stay faintly visible.
constexpr std::int32_t kLightFloor = 20;

// The pixel loops round each pixel's light factor to an integer held within
// [kLightFloor, kFullLight] (roundWithin in render/span.h, and its lanes), so
// that NaN takes the floor and nothing above full light brightens a texel:
// beyond 257 a channel's product would reach into the next channel and wrap.
// Holding the real value before rounding gives what holding the rounded one
// would, at no cost in the loop.

// Internal linkage: the function is compiled into every pixel loop's unit,
// each for its own instruction set, and no unit may end up calling another
// unit's copy.
namespace {

// The texel scaled by a light factor within [kLightFloor, kFullLight]: each
// channel becomes channel x factor / kFullLight, rounded down; the top byte
// is dropped. Works on one pixel (std::uint32_t) and on vector lanes alike
// (32-bit lanes with the usual operators): the scalar loop and the lane body
// share it.
template <class Words>
[[gnu::always_inline]] inline Words shadeTexel(Words texel, Words factor)
{
    static_assert(kFullLight == 1 << 8, "the shifts below divide by kFullLight");
    const Words redBlue = (((texel & 0x00FF00FFu) * factor) >> 8) & 0x00FF00FFu;
    const Words green = (((texel & 0x0000FF00u) >> 8) * factor) & 0x0000FF00u;
    return redBlue | green;
}

} // namespace
