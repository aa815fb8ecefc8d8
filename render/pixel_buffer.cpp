// Colour and depth buffers: rectangles of 32-bit cells in memory.
#include "render/pixel_buffer.h"

#include "render/row_set.h"
#include "runtime/program.h"
#include "runtime/thread_team.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Rows start on cache lines when the width allows, and whole-buffer loops
// may use aligned vector stores.
constexpr std::size_t kCellAlignment = 64;

} // namespace

PixelBuffer::~PixelBuffer()
{
    std::free(cells);
}

std::unique_ptr<PixelBuffer> createPixelBuffer(std::int32_t width, std::int32_t height,
                                               PixelBuffer* depthBuffer)
{
    auto buffer = std::make_unique<PixelBuffer>();
    buffer->width = width > 0 ? width : 0;
    buffer->height = height > 0 ? height : 0;
    buffer->depthBuffer = depthBuffer;

    std::size_t count = static_cast<std::size_t>(buffer->width) * static_cast<std::size_t>(buffer->height);
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t) - kCellAlignment)
        outOfMemory("pixel buffer");
    std::size_t bytes = (count * sizeof(std::uint32_t) + kCellAlignment - 1) / kCellAlignment * kCellAlignment;
    if (bytes == 0)
        bytes = kCellAlignment;
    buffer->cells = static_cast<std::uint32_t*>(std::aligned_alloc(kCellAlignment, bytes));
    if (!buffer->cells)
        outOfMemory("pixel buffer");
    std::memset(buffer->cells, 0, bytes);
    return buffer;
}

namespace {

// Zeroes rows first .. end - 1 of the colour buffer and of its depth buffer.
void clearRows(PixelBuffer& colour, std::int32_t first, std::int32_t end)
{
    const std::size_t from = static_cast<std::size_t>(first) * static_cast<std::size_t>(colour.width);
    const std::size_t count = static_cast<std::size_t>(end - first) * static_cast<std::size_t>(colour.width);
    std::memset(colour.cells + from, 0, count * sizeof(std::uint32_t));
    if (colour.depthBuffer) // a lone buffer has nothing else to clear
        std::memset(colour.depthBuffer->cells + from, 0, count * sizeof(std::uint32_t));
}

struct Clearing {
    PixelBuffer* colour;
    std::int32_t threads;
};

// A thread's rows: the rows it draws in the next frame (render/row_set.h),
// so that their cells wait in its own cache rather than in another core's.
void clearShare(void* context, int index)
{
    const Clearing& c = *static_cast<const Clearing*>(context);
    const std::int32_t height = c.colour->height;
    const RowSet rows = rowShare(index, c.threads, height);
    for (RowRun r = runFrom(rows, 0); r.first < height; r = nextRun(rows, r))
        clearRows(*c.colour, static_cast<std::int32_t>(r.first), static_cast<std::int32_t>(std::min<std::int64_t>(r.end, height)));
}

} // namespace

void clearFrame(PixelBuffer& colour)
{
    clearRows(colour, 0, colour.height);
}

void clearFrame(PixelBuffer& colour, ThreadTeam& team)
{
    Clearing clearing{&colour, teamSize(team)};
    runTogether(team, {clearShare, &clearing});
}
