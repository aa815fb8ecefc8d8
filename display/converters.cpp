// The table of pixel layouts, the converters' paths and the choice among them.
#include "display/converters.h"

#include "display/pixel_layouts.h"

#include <array>
#include <cstring>

// The block paths, each in its own unit compiled for its instruction set
// (converters_<set>.cpp); the build defines TESSIK_LANES_<SET> for each set
// it compiles.
#if TESSIK_LANES_SSE2
extern const std::span<const LayoutConverter> kSse2LayoutConverters;
#endif
#if TESSIK_LANES_AVX2
extern const std::span<const LayoutConverter> kAvx2LayoutConverters;
#endif

namespace {

template <class Layout>
constexpr PixelLayout layout(const char* name, std::uint32_t bitCount, std::uint32_t redMask,
                             std::uint32_t greenMask, std::uint32_t blueMask)
{
    return {name, bitCount, redMask, greenMask, blueMask, Layout::kBytes, convertPlain<Layout>};
}

// A new layout adds its formula to pixel_layouts.h and its row here; its
// block paths, where an instruction set's unit has one, follow by name.
constexpr PixelLayout kPixelLayouts[] = {
    layout<Copy32>("Copy32", 32, 0xFF0000, 0xFF00, 0xFF),
    layout<Swap32>("Swap32", 32, 0xFF, 0xFF00, 0xFF0000),
    layout<Pack24>("Pack24", 24, 0xFF0000, 0xFF00, 0xFF),
    layout<Pack24Swap>("Pack24Swap", 24, 0xFF, 0xFF00, 0xFF0000),
    layout<Rgb565>("Rgb565", 16, 0xF800, 0x7E0, 0x1F),
    layout<Bgr565>("Bgr565", 16, 0x1F, 0x7E0, 0xF800),
    layout<Rgb555>("Rgb555", 16, 0x7C00, 0x3E0, 0x1F),
    layout<Bgr555>("Bgr555", 16, 0x1F, 0x3E0, 0x7C00),
};

// The paths, slowest first. The availability checks run in this unit,
// compiled for the baseline CPU, never in the units they guard.
const ConverterPath kPaths[] = {
    {"plain", [] { return true; }, {}},
#if TESSIK_LANES_SSE2
    {"sse2", [] { return true; }, kSse2LayoutConverters}, // part of x86-64
#endif
#if TESSIK_LANES_AVX2
    {"avx2",
     [] {
         __builtin_cpu_init();
         return __builtin_cpu_supports("avx2") != 0;
     },
     kAvx2LayoutConverters},
#endif
};

// Each layout's converter on the fastest available path that has one.
std::array<RowConverter, std::size(kPixelLayouts)> chooseFastest()
{
    std::array<RowConverter, std::size(kPixelLayouts)> fastest{};
    for (std::size_t i = 0; i < fastest.size(); ++i)
        for (const ConverterPath& path : kPaths)
            if (path.available())
                if (RowConverter convert = converterOn(path, kPixelLayouts[i]))
                    fastest[i] = convert;
    return fastest;
}

} // namespace

std::span<const PixelLayout> pixelLayouts()
{
    return kPixelLayouts;
}

const PixelLayout* findPixelLayout(std::string_view name)
{
    for (const PixelLayout& layout : kPixelLayouts)
        if (name == layout.name)
            return &layout;
    return nullptr;
}

std::span<const ConverterPath> converterPaths()
{
    return kPaths;
}

RowConverter converterOn(const ConverterPath& path, const PixelLayout& layout)
{
    if (path.converters.empty())
        return layout.plain;
    for (const LayoutConverter& c : path.converters)
        if (std::strcmp(c.layout, layout.name) == 0)
            return c.convert;
    return nullptr;
}

RowConverter fastestConverter(const PixelLayout& layout)
{
    static const auto fastest = chooseFastest();
    return fastest[static_cast<std::size_t>(&layout - kPixelLayouts)];
}

RowConverter chooseRowConverter(std::uint32_t bitCount, std::uint32_t redMask,
                                std::uint32_t greenMask, std::uint32_t blueMask)
{
    for (const PixelLayout& layout : kPixelLayouts)
        if (layout.bitCount == bitCount && layout.redMask == redMask && layout.greenMask == greenMask &&
            layout.blueMask == blueMask)
            return fastestConverter(layout);
    return nullptr;
}
