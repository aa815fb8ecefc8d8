// Colour and depth buffers: rectangles of 32-bit cells in memory.
#include "render/pixel_buffer.h"

#include "runtime/program.h"

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

void clearFrame(PixelBuffer& colour)
{
    std::size_t count = static_cast<std::size_t>(colour.width) * static_cast<std::size_t>(colour.height);
    if (!colour.depthBuffer) { // a lone buffer: nothing else to clear
        std::memset(colour.cells, 0, count * sizeof(std::uint32_t));
        return;
    }
    std::uint32_t* depth = colour.depthBuffer->cells;
    for (std::size_t i = 0; i < count; ++i) {
        colour.cells[i] = 0;
        depth[i] = 0;
    }
}
