// A display that accepts frames and shows nothing, until the real one exists.
#include "display/display.h"

#include "render/pixel_buffer.h"

std::int32_t openDisplay(const char*, std::int32_t, std::int32_t)
{
    return 1;
}

std::int32_t presentFrame(const std::uint32_t*)
{
    return 1;
}

void closeDisplay()
{
}

std::int32_t presentBuffer(const PixelBuffer& colour)
{
    return presentFrame(colour.cells);
}
