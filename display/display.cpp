// The display on SDL2: a full-screen window, a streaming texture as back
// buffer, and the window's focus, close and key events.
#include "display/display_internal.h"

#include "runtime/keys.h"
#include "runtime/program.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <sched.h>
#include <wayland-client.h>

#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// Never destroyed: the process may end inside SDL's own calls (Xlib ends it
// when its connection breaks), and a destructor calling SDL at exit would
// then talk to the dead connection for ever.
DisplayState& display = *new DisplayState;

// Xlib's handler for a broken connection before openDisplay replaced it.
XIOErrorHandler previousXHandler = nullptr;
bool xHandlerInstalled = false;

// What a write into a closed socket did before openDisplay. While the
// display is open such a write fails instead of killing the process, so a
// server that goes away under the demo reaches the lost-connection handler
// whether the demo next reads from it or writes to it.
struct sigaction previousPipeAction;
bool pipeSignalIgnored = false;

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

// The formats to try for the back buffer: the window's own first, when one
// of the converters makes it, so that the frame reaches the screen with no
// further conversion; then the given order.
std::vector<std::uint32_t> backBufferFormats(const DisplayOptions& options)
{
    std::vector<std::uint32_t> formats;
    std::uint32_t screen = SDL_GetWindowPixelFormat(display.window.get());
    if (options.screenFormatFirst && converterFor(screen))
        formats.push_back(screen);
    formats.insert(formats.end(), options.formats.begin(), options.formats.end());
    return formats;
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

// The connection to the display server is gone: nothing more can be shown,
// and neither SDL nor the libraries beneath it may be called again, not even
// by exit handlers.
[[noreturn]] void endWithLostDisplay()
{
    std::fputs("tessik: the connection to the display was lost\n", stderr);
    endProgramAtOnce(1);
}

int onBrokenXConnection(Display*)
{
    endWithLostDisplay();
}

// Whether the window's Wayland connection has failed. SDL reports a failed
// connection as a quit request, like the compositor closing the window.
bool waylandConnectionFailed()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!display.window || !SDL_GetWindowWMInfo(display.window.get(), &info) ||
        info.subsystem != SDL_SYSWM_WAYLAND)
        return false;
    return wl_display_get_error(info.info.wl.display) != 0;
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
    // Active while it can be seen: a compositor may give the window its
    // focus only after it has shown a frame, or never.
    switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        display.appActive = 1;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        display.appActive = 0;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        closeDisplay();
        endProgram(0);
    default:
        break;
    }
}

void pumpEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        displayWindowProc(event);
}

// The first frame is shown whatever the window's state: a compositor maps a
// window, and may activate it, only once it has a frame.
bool showsFrames()
{
    return display.appActive || !display.framePresented;
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
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (!pipeSignalIgnored)
        pipeSignalIgnored = sigaction(SIGPIPE, &ignore, &previousPipeAction) == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 0;
    display.videoStarted = true;

    const char* driver = SDL_GetCurrentVideoDriver();
    if (!countsAsDisplay(driver, SDL_GetHint(SDL_HINT_VIDEODRIVER)))
        return 0;
    if (sameName(driver, "x11")) {
        // Xlib's own handler ends the process through exit, whose handlers
        // would call into the broken connection.
        previousXHandler = XSetIOErrorHandler(onBrokenXConnection);
        xHandlerInstalled = true;
    }

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

    for (std::uint32_t format : backBufferFormats(options)) {
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

    // The window is shown once created.
    display.appActive = 1;
    return 1;
}

std::int32_t openDisplay(const char* title, std::int32_t width, std::int32_t height)
{
    return openDisplayWith(title, width, height, DisplayOptions{});
}

std::int32_t pollDisplay()
{
    pumpEvents();
    if (showsFrames())
        return 1;
    SDL_Delay(1);
    return 0;
}

std::int32_t presentFrame(const std::uint32_t* cells)
{
    pumpEvents();
    if (!showsFrames()) {
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
    display.framePresented = true;

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
    if (xHandlerInstalled)
        XSetIOErrorHandler(previousXHandler);
    xHandlerInstalled = false;
    if (pipeSignalIgnored)
        sigaction(SIGPIPE, &previousPipeAction, nullptr);
    pipeSignalIgnored = false;
    display = DisplayState{};
}

void displayWindowProc(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_QUIT:
        if (waylandConnectionFailed())
            endWithLostDisplay();
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
