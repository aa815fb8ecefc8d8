// The SDL2 display under SDL's dummy video driver with the software
// renderer: frames read back through the renderer in every pixel layout,
// the window's events, and opening and closing in every state.
#include "display/display_internal.h"

#include "runtime/keys.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

class Display : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Closing the display clears SDL's hints, so each test sets them anew.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
        SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
    }
    void TearDown() override { closeDisplay(); }
};

// A frame of width x height random cells, bits 24-31 included.
std::vector<std::uint32_t> randomFrame(int width, int height, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<std::uint32_t> cells(static_cast<std::size_t>(width) * height);
    for (auto& cell : cells)
        cell = static_cast<std::uint32_t>(generator());
    return cells;
}

// What the window shows, read back as 0xAARRGGBB.
std::vector<std::uint32_t> shownFrame()
{
    const DisplayState& state = displayState();
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(state.width) * state.height);
    EXPECT_EQ(SDL_RenderReadPixels(state.renderer.get(), nullptr, SDL_PIXELFORMAT_ARGB8888,
                                   shown.data(), state.width * 4), 0)
        << SDL_GetError();
    return shown;
}

// Whether a shown pixel carries the top `bits` bits of each channel of a cell.
bool showsCell(std::uint32_t shown, std::uint32_t cell, int redBits, int greenBits, int blueBits)
{
    auto top = [](std::uint32_t value, int shift, int bits) { return (value >> shift & 0xFF) >> (8 - bits); };
    return top(shown, 16, redBits) == top(cell, 16, redBits) &&
           top(shown, 8, greenBits) == top(cell, 8, greenBits) &&
           top(shown, 0, blueBits) == top(cell, 0, blueBits);
}

void pushEvent(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushWindowEvent(SDL_WindowEventID id)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = static_cast<Uint8>(id);
    pushEvent(event);
}

void pushKeyDown(SDL_Scancode scancode, SDL_Keycode sym, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    pushEvent(event);
}

// The key in the pending slot, taken out; -1 when the slot is empty.
int takePendingKey()
{
    if (pushPendingKey(0)) {
        readKey();
        return -1;
    }
    std::string key = readKey();
    return key.size() == 1 ? static_cast<unsigned char>(key[0]) : -2;
}

constexpr int kWidth = 37;  // two blocks of 16 and a remainder; rows padded in 24 and 16 bits
constexpr int kHeight = 5;

// A window of the frame's size whose back buffer takes the first of the
// formats that works, whatever the window's own.
DisplayOptions windowed(std::span<const std::uint32_t> formats)
{
    return DisplayOptions{formats, false, false};
}

// The converter the display should pick for a layout of the table.
RowConverter converterOf(const char* layout)
{
    const PixelLayout* found = findPixelLayout(layout);
    return found ? fastestConverter(*found) : nullptr;
}

} // namespace

TEST_F(Display, EveryLayoutShowsTheFrameThroughTheRenderer)
{
    struct Layout {
        std::uint32_t format;
        const char* layout;
        int redBits, greenBits, blueBits;
    };
    const Layout layouts[] = {
        {SDL_PIXELFORMAT_ARGB8888, "Copy32", 8, 8, 8},
        {SDL_PIXELFORMAT_XBGR8888, "Swap32", 8, 8, 8},
        {SDL_PIXELFORMAT_BGR24, "Pack24", 8, 8, 8},
        {SDL_PIXELFORMAT_RGB24, "Pack24Swap", 8, 8, 8},
        {SDL_PIXELFORMAT_RGB565, "Rgb565", 5, 6, 5},
        {SDL_PIXELFORMAT_BGR565, "Bgr565", 5, 6, 5},
        {SDL_PIXELFORMAT_RGB555, "Rgb555", 5, 5, 5},
        {SDL_PIXELFORMAT_BGR555, "Bgr555", 5, 5, 5},
    };
    unsigned seed = 1;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(SDL_GetPixelFormatName(layout.format));
        SetUp();
        const std::uint32_t formats[] = {layout.format};
        ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(formats)), 1) << SDL_GetError();
        EXPECT_EQ(displayState().converter, converterOf(layout.layout));

        auto cells = randomFrame(kWidth, kHeight, seed++);
        ASSERT_EQ(presentFrame(cells.data()), 1);
        auto shown = shownFrame();
        int wrong = 0;
        for (std::size_t i = 0; i < cells.size(); ++i)
            wrong += !showsCell(shown[i], cells[i], layout.redBits, layout.greenBits, layout.blueBits);
        EXPECT_EQ(wrong, 0);
        closeDisplay();
    }
}

TEST_F(Display, OpensFullScreenWithTheFirstFormatThatWorks)
{
    ASSERT_EQ(openDisplay("Tessik", 640, 480), 1) << SDL_GetError();
    const DisplayState& state = displayState();
    // The back buffer takes the window's own layout, 32-bit XRGB under the
    // dummy driver.
    EXPECT_EQ(SDL_GetWindowPixelFormat(state.window.get()), SDL_PIXELFORMAT_RGB888);
    EXPECT_EQ(state.format, SDL_PIXELFORMAT_RGB888);
    EXPECT_EQ(state.converter, converterOf("Copy32"));
    EXPECT_TRUE(SDL_GetWindowFlags(state.window.get()) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    EXPECT_STREQ(SDL_GetWindowTitle(state.window.get()), "Tessik");
    int width = 0, height = 0;
    SDL_RenderGetLogicalSize(state.renderer.get(), &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    EXPECT_EQ(state.appActive, 1); // shown, before any focus
    closeDisplay();

    // The window's layout goes before the formats asked for.
    SetUp();
    const std::uint32_t only565[] = {SDL_PIXELFORMAT_RGB565};
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, DisplayOptions{only565, false, true}), 1);
    EXPECT_EQ(displayState().format, SDL_PIXELFORMAT_RGB888);
    closeDisplay();

    // Palettised textures cannot be created: the next format is taken.
    SetUp();
    const std::uint32_t formats[] = {SDL_PIXELFORMAT_INDEX8, SDL_PIXELFORMAT_BGR565};
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(formats)), 1);
    EXPECT_EQ(displayState().format, SDL_PIXELFORMAT_BGR565);
    EXPECT_EQ(displayState().converter, converterOf("Bgr565"));
}

TEST_F(Display, CloseReleasesWhateverAPartialOpenLeft)
{
    closeDisplay(); // nothing open

    // No back buffer format works: window and renderer exist.
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed({})), 0);
    EXPECT_TRUE(displayState().window);
    EXPECT_TRUE(displayState().renderer);
    closeDisplay();
    EXPECT_FALSE(displayState().window);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);

    // A back buffer in a layout without a converter.
    SetUp();
    const std::uint32_t unsupported[] = {SDL_PIXELFORMAT_RGB444};
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(unsupported)), 0);
    EXPECT_TRUE(displayState().backBuffer);
    EXPECT_EQ(displayState().converter, nullptr);
    closeDisplay();
    EXPECT_FALSE(displayState().backBuffer);
    EXPECT_EQ(displayState().appActive, 0);

    // After both, the display opens and shows frames as usual.
    SetUp();
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)), 1);
    auto cells = randomFrame(kWidth, kHeight, 7);
    EXPECT_EQ(presentFrame(cells.data()), 1);
    EXPECT_TRUE(showsCell(shownFrame()[0], cells[0], 8, 8, 8));
}

// While the display is open, a write into a connection whose other end is
// gone fails with EPIPE instead of killing the program by SIGPIPE: a display
// server that goes away must reach the lost-connection message and status 1
// however the demo meets it. Closing gives SIGPIPE its old action back.
TEST_F(Display, AGoneConnectionFailsWritesInsteadOfKillingTheProgram)
{
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)), 1);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const char byte = 0;
    errno = 0;
    EXPECT_EQ(write(ends[1], &byte, 1), -1);
    EXPECT_EQ(errno, EPIPE);
    close(ends[1]);

    closeDisplay();
    struct sigaction now{};
    sigaction(SIGPIPE, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// Hidden, minimised or without the focus, the window shows no frames; shown,
// restored, exposed or focused again, it does.
TEST_F(Display, FramesAreSkippedWhileTheWindowCannotBeSeen)
{
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)), 1);
    auto first = randomFrame(kWidth, kHeight, 1);
    auto second = randomFrame(kWidth, kHeight, 2);
    presentFrame(first.data());

    for (SDL_WindowEventID inactive : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED,
                                       SDL_WINDOWEVENT_HIDDEN}) {
        for (SDL_WindowEventID active : {SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_EXPOSED,
                                         SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_FOCUS_GAINED}) {
            SCOPED_TRACE(testing::Message() << "inactive " << inactive << ", active " << active);
            pushWindowEvent(inactive);
            Uint32 start = SDL_GetTicks();
            EXPECT_EQ(presentFrame(second.data()), 1);
            EXPECT_GE(SDL_GetTicks() - start, 1u); // it sleeps instead
            EXPECT_EQ(displayState().appActive, 0);
            EXPECT_TRUE(showsCell(shownFrame()[5], first[5], 8, 8, 8));

            pushWindowEvent(active);
            presentFrame(second.data());
            EXPECT_EQ(displayState().appActive, 1);
            EXPECT_TRUE(showsCell(shownFrame()[5], second[5], 8, 8, 8));
            presentFrame(first.data());
        }
    }
}

// A compositor may map the window, and give it the focus, only once it has
// a frame: the first one is shown even if the window lost the focus before.
TEST_F(Display, TheFirstFrameIsAlwaysShown)
{
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)), 1);
    auto first = randomFrame(kWidth, kHeight, 1);
    auto second = randomFrame(kWidth, kHeight, 2);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(pollDisplay(), 1);
    EXPECT_EQ(displayState().appActive, 0);
    EXPECT_EQ(presentFrame(first.data()), 1);
    EXPECT_TRUE(showsCell(shownFrame()[5], first[5], 8, 8, 8));
    EXPECT_EQ(pollDisplay(), 0);
    presentFrame(second.data());
    EXPECT_TRUE(showsCell(shownFrame()[5], first[5], 8, 8, 8));
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(pollDisplay(), 1);
}

TEST_F(Display, LostTexturesAreRecreatedBeforeTheNextFrame)
{
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)), 1);
    for (Uint32 reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
        SDL_Event event{};
        event.type = reset;
        pushEvent(event);
        auto cells = randomFrame(kWidth, kHeight, reset);
        EXPECT_EQ(presentFrame(cells.data()), 1);
        EXPECT_FALSE(displayState().backBufferLost);
        auto shown = shownFrame();
        EXPECT_TRUE(showsCell(shown[0], cells[0], 8, 8, 8));
        EXPECT_TRUE(showsCell(shown.back(), cells.back(), 8, 8, 8));
    }
}

TEST_F(Display, KeyDownsReachThePendingSlotAsVirtualKeyCodes)
{
    ASSERT_EQ(openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)), 1);
    auto cells = randomFrame(kWidth, kHeight, 3);

    pushKeyDown(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    presentFrame(cells.data());
    EXPECT_EQ(takePendingKey(), 27);

    // The slot holds one key: the second key-down of a pump is dropped.
    pushKeyDown(SDL_SCANCODE_LEFT, SDLK_LEFT);
    pushKeyDown(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    presentFrame(cells.data());
    EXPECT_EQ(takePendingKey(), 0x25);
    EXPECT_EQ(takePendingKey(), -1);

    // A held key repeats; key-ups and keys without a code push nothing.
    pushKeyDown(SDL_SCANCODE_A, SDLK_a, 1);
    presentFrame(cells.data());
    EXPECT_EQ(takePendingKey(), 'A');
    SDL_Event up{};
    up.type = SDL_KEYUP;
    up.key.keysym.scancode = SDL_SCANCODE_B;
    up.key.keysym.sym = SDLK_b;
    pushEvent(up);
    pushKeyDown(SDL_SCANCODE_POWER, SDLK_POWER);
    presentFrame(cells.data());
    EXPECT_EQ(takePendingKey(), -1);
}

TEST_F(Display, ClosingTheWindowEndsTheProgramWithZero)
{
    auto closeWith = [](SDL_Event event) {
        if (openDisplayWith("Tessik", kWidth, kHeight, windowed(kBackBufferFormats)) != 1)
            std::_Exit(3);
        SDL_PushEvent(&event);
        std::vector<std::uint32_t> cells(kWidth * kHeight);
        presentFrame(cells.data());
        std::_Exit(4);
    };
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EXIT(closeWith(quit), ::testing::ExitedWithCode(0), "");
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_EXIT(closeWith(close), ::testing::ExitedWithCode(0), "");
}

TEST(VirtualKeys, KeysArriveAsWindowsVirtualKeyCodes)
{
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        Uint16 mod;
        int code;
    };
    const Case cases[] = {
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, 0x1B},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 0, 0x0D},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, 0, 0x20},
        {SDL_SCANCODE_TAB, SDLK_TAB, 0, 0x09},
        // Letters, digits and Esc follow the layout (letters as upper-case
        // codes, also with Shift); keys whose keycode is another character,
        // or none, follow their position.
        {SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT, 'A'},
        {SDL_SCANCODE_Q, SDLK_a, 0, 'A'},
        {SDL_SCANCODE_F, 0x0430, 0, 'F'},
        {SDL_SCANCODE_1, SDLK_AMPERSAND, 0, '1'},
        {SDL_SCANCODE_0, SDLK_0, 0, '0'},
        {SDL_SCANCODE_E, SDLK_3, 0, '3'},
        {SDL_SCANCODE_CAPSLOCK, SDLK_ESCAPE, 0, 0x1B},
        {SDL_SCANCODE_ESCAPE, SDLK_CAPSLOCK, 0, 0x14},
        {SDL_SCANCODE_LEFT, SDLK_UNKNOWN, 0, 0x25},
        {SDL_SCANCODE_SLASH, SDLK_MINUS, 0, 0xBF},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 0, 0x25},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, 0, 0x28},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, 0, 0x2E},
        {SDL_SCANCODE_F1, SDLK_F1, 0, 0x70},
        {SDL_SCANCODE_F12, SDLK_F12, 0, 0x7B},
        {SDL_SCANCODE_F24, SDLK_F24, 0, 0x87},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 0, 0x10},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 0, 0x11},
        {SDL_SCANCODE_LALT, SDLK_LALT, 0, 0x12},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, 0, 0x5B},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, 0, 0xBA},
        {SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, 0, 0xE2},
        // The keypad's digits depend on Num Lock.
        {SDL_SCANCODE_KP_1, SDLK_KP_1, KMOD_NUM, 0x61},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, 0x6E},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, 0, 0x23},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, 0, 0x0C},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 0, 0x2E},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NUM, 0x0D},
        {SDL_SCANCODE_AUDIOPLAY, SDLK_AUDIOPLAY, 0, 0xB3},
        // Keys without a code, and codes beyond SDL's table.
        {SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, 0, 0},
        {SDL_SCANCODE_POWER, SDLK_POWER, 0, 0},
        {static_cast<SDL_Scancode>(SDL_NUM_SCANCODES), SDLK_UNKNOWN, 0, 0},
    };
    for (const Case& c : cases) {
        SDL_Keysym key{};
        key.scancode = c.scancode;
        key.sym = c.sym;
        key.mod = c.mod;
        EXPECT_EQ(virtualKeyCode(key), c.code) << SDL_GetScancodeName(c.scancode) << " mod " << c.mod;
    }
}

TEST(VideoDrivers, DriversWithoutAScreenCountOnlyWhenAskedFor)
{
    EXPECT_TRUE(countsAsDisplay("x11", nullptr));
    EXPECT_TRUE(countsAsDisplay("wayland", "x11"));
    EXPECT_FALSE(countsAsDisplay("offscreen", nullptr));
    EXPECT_FALSE(countsAsDisplay("offscreen", "x11"));
    EXPECT_FALSE(countsAsDisplay("dummy", ""));
    EXPECT_FALSE(countsAsDisplay("dummy", "dummyx"));
    EXPECT_TRUE(countsAsDisplay("offscreen", "offscreen"));
    EXPECT_TRUE(countsAsDisplay("dummy", "x11,Dummy"));
    EXPECT_TRUE(countsAsDisplay("offscreen", "OFFSCREEN,x11"));
    EXPECT_FALSE(countsAsDisplay(nullptr, "x11"));
}
