// The pixel loop in SSE2 lanes, four pixels a step (render/span_lanes.h).
#include "render/span_lanes.h"

std::int64_t drawSpanSse2(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow)
{
    return drawSpanLanes<Isa::sse2>(span, level, colourRow, depthRow);
}
