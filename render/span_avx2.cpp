// The pixel loop in AVX2 lanes, eight pixels a step (render/span_lanes.h).
// This unit alone is compiled for AVX2; it runs only where the CPU has it.
#include "render/span_lanes.h"

std::int64_t drawSpanAvx2(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow)
{
    return drawSpanLanes<Isa::avx2>(span, level, colourRow, depthRow);
}
