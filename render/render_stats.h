// Counters of the work one frame took, for tools that report it.
#pragma once

#include <cstdint>

// Filled in when a caller hands one to the render pass; the pass only adds
// to it, so a caller can sum over frames or start from zero each time.
struct RenderStats {
    std::int64_t objectsVisible = 0;  // objects that passed the visibility tests
    std::int64_t facesSetUp = 0;      // faces of visible objects handed to face set-up
    std::int64_t facesRasterized = 0; // faces in front of the eye and facing it
    std::int64_t pixelsDrawn = 0;     // pixels that passed the depth test
};
