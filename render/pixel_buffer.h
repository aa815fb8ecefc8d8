// Colour and depth buffers: rectangles of 32-bit cells in memory.
#pragma once

#include <cstdint>
#include <memory>

// width x height cells, row by row, row 0 at the top, no gap between rows:
// pixel (x, y) is cell y * width + x. A colour cell is 0x00RRGGBB; a depth
// cell is a float holding 1/z, where 0.0 (all bits zero) means empty and a
// larger value is nearer.
struct PixelBuffer {
    std::uint32_t* cells = nullptr;     // owned by the buffer
    std::int32_t width = 0;
    std::int32_t height = 0;
    PixelBuffer* depthBuffer = nullptr; // a colour buffer's depth buffer; not owned

    PixelBuffer() = default;
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    ~PixelBuffer();
};

// A buffer of width x height zero cells (black, or empty depth), linked to
// depthBuffer when given. Negative sizes count as zero; a size whose cells
// cannot be allocated ends the program with a message.
std::unique_ptr<PixelBuffer> createPixelBuffer(std::int32_t width, std::int32_t height,
                                               PixelBuffer* depthBuffer);

struct ThreadTeam;

// Sets every cell of the colour buffer and of its depth buffer to zero.
void clearFrame(PixelBuffer& colour);
// The same shared by every thread of the team, each zeroing the rows it
// draws (render/row_set.h).
void clearFrame(PixelBuffer& colour, ThreadTeam& team);
