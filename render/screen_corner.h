// The projected corner that face set-up hands to the rasterizer.
#pragma once

// One corner of a triangle on the screen, its attributes divided by the
// corner's view-space depth so that they interpolate linearly across the
// screen.
struct ScreenCorner {
    float x;          // column, pixel centres at whole numbers, growing to the right
    float y;          // row, pixel centres at whole numbers, growing downward
    float invZ;       // 1/z, the reciprocal of the view-space depth
    float uOverZ;     // (u x level width + 0.5) x invZ: texel column over z
    float vOverZ;     // (v x level height + 0.5) x invZ: texel row over z
    float shadeOverZ; // shade (256 = full light) x invZ
};
