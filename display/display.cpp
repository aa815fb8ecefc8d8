// The display on SDL2: a full-screen window, a streaming texture as back
// buffer, and the window's focus, close and key events.
#include "display/display_internal.h"

#include "runtime/keys.h"
#include "runtime/program.h"

#include <sched.h>

#include <string_view>

namespace {

DisplayState display;

// Drivers that show nothing: SDL falls back to one of them when no screen
// can be reached, so they count only when asked for by name.
constexpr std::string_view kHeadlessDrivers[] = {"offscreen", "dummy", "evdev"};

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && SDL_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool isHeadless(std::string_view driver)
{
    for (std::string_view name : kHeadlessDrivers)
        if (sameName(driver, name))
            return true;
    return false;
}

// Whether the comma-separated list names the driver.
bool names(std::string_view list, std::string_view driver)
{
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        if (sameName(list.substr(0, comma), driver))
            return true;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

// A streaming texture of the frame's size in the given format, or null when
// the renderer cannot create it or it cannot be locked. Frames have no alpha:
// the texture replaces what it covers.
TextureHandle createBackBuffer(std::uint32_t format)
{
    TextureHandle texture(SDL_CreateTexture(display.renderer.get(), format,
                                            SDL_TEXTUREACCESS_STREAMING,
                                            display.width, display.height));
    if (!texture || SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_NONE) != 0)
        return nullptr;
    void* pixels;
    int pitch;
    if (SDL_LockTexture(texture.get(), nullptr, &pixels, &pitch) != 0)
        return nullptr;
    SDL_UnlockTexture(texture.get());
    return texture;
}

// The converter for a texture format. The bit count given to the choice is
// the storage size: SDL counts 24 bits for XRGB8888 and 15 for RGB555.
RowConverter converterFor(std::uint32_t format)
{
    int bits;
    std::uint32_t red, green, blue, alpha;
    if (!SDL_PixelFormatEnumToMasks(format, &bits, &red, &green, &blue, &alpha))
        return nullptr;
    auto storageBits = static_cast<std::uint32_t>(SDL_BYTESPERPIXEL(format)) * 8;
    return chooseRowConverter(storageBits, red, green, blue);
}

// Lost texture memory comes back as a new texture of the same format.
void restoreBackBuffer()
{
    if (!display.backBufferLost)
        return;
    display.backBuffer.reset();
    display.backBuffer = createBackBuffer(display.format);
    if (display.backBuffer)
        display.backBufferLost = false;
}

void convertFrame(const std::uint32_t* cells, void* pixels, int pitch)
{
    auto* rows = static_cast<std::uint8_t*>(pixels);
    for (std::int32_t row = 0; row < display.height; ++row)
        display.converter(cells + static_cast<std::size_t>(row) * display.width,
                          rows + static_cast<std::ptrdiff_t>(row) * pitch, display.width);
}

void handleWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        display.appActive = 1;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        display.appActive = 0;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        closeDisplay();
        endProgram(0);
    default:
        break;
    }
}

} // namespace

const DisplayState& displayState()
{
    return display;
}

bool countsAsDisplay(const char* driver, const char* requested)
{
    if (!driver)
        return false;
    return !isHeadless(driver) || (requested && names(requested, driver));
}

std::int32_t openDisplayWith(const char* title, std::int32_t width, std::int32_t height,
                             const DisplayOptions& options)
{
    display.width = width;
    display.height = height;

    // The terminal's signal handlers stay in place: they restore it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 0;
    display.videoStarted = true;

    const char* driver = SDL_GetCurrentVideoDriver();
    if (!countsAsDisplay(driver, SDL_GetHint(SDL_HINT_VIDEODRIVER)))
        return 0;
    display.headless = isHeadless(driver);

    // A full-screen window starts out with the desktop's size and place, so
    // that it covers the screen even when no window manager makes it full
    // screen.
    SDL_Rect place{SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height};
    Uint32 windowFlags = 0;
    if (options.fullScreen) {
        windowFlags = SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_GetDisplayBounds(0, &place);
    }
    display.window.reset(SDL_CreateWindow(title, place.x, place.y, place.w, place.h, windowFlags));
    if (!display.window)
        return 0;
    SDL_ShowCursor(SDL_DISABLE);
    display.cursorHidden = true;

    // Present without waiting for the vertical blank; scale the frame up
    // with nearest-neighbour sampling, keeping its aspect.
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    display.renderer.reset(SDL_CreateRenderer(display.window.get(), -1, 0));
    if (!display.renderer)
        return 0;
    if (SDL_RenderSetLogicalSize(display.renderer.get(), width, height) != 0)
        return 0;

    for (std::uint32_t format : options.formats) {
        display.backBuffer = createBackBuffer(format);
        if (display.backBuffer) {
            display.format = format;
            break;
        }
    }
    if (!display.backBuffer)
        return 0;

    display.converter = converterFor(display.format);
    if (!display.converter)
        return 0;

    SDL_DisableScreenSaver();
    display.screenSaverSuspended = true;

    // A driver without a screen never reports focus; its frames go through.
    if (display.headless)
        display.appActive = 1;
    return 1;
}

std::int32_t openDisplay(const char* title, std::int32_t width, std::int32_t height)
{
    return openDisplayWith(title, width, height, DisplayOptions{});
}

std::int32_t presentFrame(const std::uint32_t* cells)
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        displayWindowProc(event);

    if (!display.appActive) {
        SDL_Delay(1);
        return 1;
    }

    restoreBackBuffer();
    void* pixels;
    int pitch;
    if (!display.backBuffer || SDL_LockTexture(display.backBuffer.get(), nullptr, &pixels, &pitch) != 0)
        return 0;
    convertFrame(cells, pixels, pitch);
    SDL_UnlockTexture(display.backBuffer.get());

    // Clearing keeps the bars black when the screen's aspect is not 4:3.
    SDL_RenderClear(display.renderer.get());
    SDL_RenderCopy(display.renderer.get(), display.backBuffer.get(), nullptr, nullptr);
    SDL_RenderPresent(display.renderer.get());

    sched_yield();
    return 1;
}

void closeDisplay()
{
    if (display.screenSaverSuspended)
        SDL_EnableScreenSaver();
    display.backBuffer.reset();
    display.renderer.reset();
    if (display.cursorHidden)
        SDL_ShowCursor(SDL_ENABLE);
    display.window.reset();
    if (display.videoStarted)
        SDL_Quit();
    display = DisplayState{};
}

void displayWindowProc(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_QUIT:
        closeDisplay();
        endProgram(0);
    case SDL_KEYDOWN:
        if (std::uint8_t code = virtualKeyCode(event.key.keysym))
            pushPendingKey(code);
        break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        display.backBufferLost = true;
        break;
    default:
        break;
    }
}

const char* displayRendererName()
{
    SDL_RendererInfo info;
    if (!display.renderer || SDL_GetRendererInfo(display.renderer.get(), &info) != 0)
        return "";
    return info.name;
}
