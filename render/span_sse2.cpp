// The row set-up and the pixel loop in SSE2 lanes, four rows or pixels a step.
#include "render/lanes_sse2.h"
#include "render/span_lanes.h"
#include "render/row_lanes.h"

std::int64_t drawSpanSse2(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow)
{
    return drawSpanLanes<Sse2Lanes>(span, level, colourRow, depthRow);
}

std::int64_t drawRowsSse2(const RowBatch& rows, const RowTarget& target)
{
    return drawRowsLanes<Sse2Lanes>(rows, target);
}
