// The row set-up and the pixel loop in AVX-512 lanes, eight rows or pixels a
// step. This unit alone is compiled for AVX-512F; it runs only where the CPU
// has it.
#include "render/lanes_avx512.h"
#include "render/span_lanes.h"
#include "render/row_lanes.h"

std::int64_t drawSpanAvx512(const Span& span, const SpanLevel& level, std::uint32_t* colourRow,
                            std::uint32_t* depthRow)
{
    return drawSpanLanes<Avx512Lanes>(span, level, colourRow, depthRow);
}

std::int64_t drawRowsAvx512(const RowBatch& rows, const RowTarget& target)
{
    return drawRowsLanes<Avx512Lanes>(rows, target);
}
