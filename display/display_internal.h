// Inside the SDL2 display: its state, its event handler and the hooks that
// tests and tools use to open it with other pixel formats.
#pragma once

#include "display/converters.h"
#include "display/display.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <span>

// Destroys an SDL handle through the given SDL function.
template <auto release>
struct SdlRelease {
    template <typename Handle>
    void operator()(Handle* handle) const { release(handle); }
};

using WindowHandle = std::unique_ptr<SDL_Window, SdlRelease<SDL_DestroyWindow>>;
using RendererHandle = std::unique_ptr<SDL_Renderer, SdlRelease<SDL_DestroyRenderer>>;
using TextureHandle = std::unique_ptr<SDL_Texture, SdlRelease<SDL_DestroyTexture>>;

// The one display of the process. Everything is zero or null while closed.
struct DisplayState {
    std::int32_t width = 0;            // frame width in pixels, as given to openDisplay
    std::int32_t height = 0;           // frame height in rows
    bool videoStarted = false;         // SDL and its video subsystem are initialised
    WindowHandle window;               // the full-screen window
    bool cursorHidden = false;
    RendererHandle renderer;
    TextureHandle backBuffer;          // streaming texture the frames are converted into
    std::uint32_t format = 0;          // SDL pixel format of the back buffer
    bool backBufferLost = false;       // the renderer lost its textures: re-create before locking
    bool screenSaverSuspended = false;
    std::int32_t appActive = 0;        // nonzero while the window can be seen
    bool framePresented = false;       // a frame has reached the window
    RowConverter converter = nullptr;  // rows of cells into the back buffer's format
};

const DisplayState& displayState();

// The back-buffer formats openDisplay tries, 32, 24 and 16 bits a pixel,
// after the window's own format when a converter makes that.
constexpr std::uint32_t kBackBufferFormats[] = {
    SDL_PIXELFORMAT_ARGB8888,
    SDL_PIXELFORMAT_BGR24,
    SDL_PIXELFORMAT_RGB565,
};

struct DisplayOptions {
    std::span<const std::uint32_t> formats = kBackBufferFormats; // tried in order
    bool fullScreen = true; // false: a window of exactly the frame's size
    bool screenFormatFirst = true; // the window's own format before `formats`
};

// openDisplay with a choice of back-buffer formats and window kind.
std::int32_t openDisplayWith(const char* title, std::int32_t width, std::int32_t height,
                             const DisplayOptions& options);

// Handles one event of the display's window: showing, hiding, focus, close
// and key-down.
void displayWindowProc(const SDL_Event& event);

// The Windows virtual-key code of a key, or 0 for a key that has none.
std::uint8_t virtualKeyCode(const SDL_Keysym& key);

// Whether a video driver puts frames on a screen. The drivers without one
// count only when requested names them (a comma-separated list of driver
// names, or null).
bool countsAsDisplay(const char* driver, const char* requested);

// The name of the SDL renderer the open display uses; empty when closed.
const char* displayRendererName();
