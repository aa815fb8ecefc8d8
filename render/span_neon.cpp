// The row set-up and the pixel loop in NEON lanes, four rows or pixels a
// step. Every 64-bit ARM CPU has NEON.
#include "render/lanes_neon.h"
#include "render/span_lanes.h"
#include "render/row_lanes.h"

std::int64_t drawSpanNeon(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow)
{
    return drawSpanLanes<NeonLanes>(span, level, colourRow, depthRow);
}

std::int64_t drawRowsNeon(const RowBatch& rows, const RowTarget& target)
{
    return drawRowsLanes<NeonLanes>(rows, target);
}
