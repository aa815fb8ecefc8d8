// The row set-up and the pixel loop in AVX2 lanes, eight rows or pixels a
// step. This unit alone is compiled for AVX2; it runs only where the CPU has it.
#include "render/lanes_avx2.h"
#include "render/span_lanes.h"
#include "render/row_lanes.h"

std::int64_t drawSpanAvx2(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                          std::uint32_t* depthRow)
{
    return drawSpanLanes<Avx2Lanes>(span, level, colourRow, depthRow);
}

std::int64_t drawRowsAvx2(const RowBatch& rows, const RowTarget& target)
{
    return drawRowsLanes<Avx2Lanes>(rows, target);
}
