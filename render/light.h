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

// Internal linkage: the function is compiled into every pixel loop's unit,
// each for its own instruction set, and no unit may end up calling another
// unit's copy.
namespace {

// The texel scaled by the light factor s: s is first held within
// [kLightFloor, kFullLight], so that no channel can wrap, then each channel
// becomes channel x s / kFullLight, rounded down. Works on one pixel
// (std::uint32_t and std::int32_t) and on vector lanes alike (32-bit lanes
// with the usual operators): the scalar loop and the lane body share it.
template <class Words, class Ints>
[[gnu::always_inline]] inline Words shadeTexel(Words texel, Ints s)
{
    s = s > kLightFloor ? s : kLightFloor;
    s = s < kFullLight ? s : kFullLight;
    const Words factor = (Words)s;
    static_assert(kFullLight == 1 << 8, "the shifts below divide by kFullLight");
    const Words redBlue = (((texel & 0x00FF00FFu) * factor) >> 8) & 0x00FF00FFu;
    const Words green = (((texel & 0x0000FF00u) >> 8) * factor) & 0x0000FF00u;
    return redBlue | green;
}

} // namespace
