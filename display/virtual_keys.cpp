// Keys of the display window as Windows virtual-key codes.
#include "display/display_internal.h"

#include <array>
#include <utility>

namespace {

// Virtual-key codes that keys arrive as.
namespace Vk {
constexpr std::uint8_t cancel = 0x03, backspace = 0x08, tab = 0x09, clear = 0x0C, enter = 0x0D;
constexpr std::uint8_t shift = 0x10, control = 0x11, alt = 0x12, pause = 0x13, capsLock = 0x14;
constexpr std::uint8_t hangul = 0x15, hanja = 0x19, escape = 0x1B, space = 0x20;
constexpr std::uint8_t pageUp = 0x21, pageDown = 0x22, end = 0x23, home = 0x24;
constexpr std::uint8_t left = 0x25, up = 0x26, right = 0x27, down = 0x28;
constexpr std::uint8_t select = 0x29, execute = 0x2B, printScreen = 0x2C;
constexpr std::uint8_t insert = 0x2D, del = 0x2E, help = 0x2F;
constexpr std::uint8_t digit0 = 0x30, letterA = 0x41;
constexpr std::uint8_t leftWindows = 0x5B, rightWindows = 0x5C, applications = 0x5D, sleep = 0x5F;
constexpr std::uint8_t numpad0 = 0x60, multiply = 0x6A, add = 0x6B, separator = 0x6C;
constexpr std::uint8_t subtract = 0x6D, decimal = 0x6E, divide = 0x6F;
constexpr std::uint8_t f1 = 0x70, f13 = 0x7C;
constexpr std::uint8_t numLock = 0x90, scrollLock = 0x91;
constexpr std::uint8_t browserBack = 0xA6, browserForward = 0xA7, browserRefresh = 0xA8;
constexpr std::uint8_t browserStop = 0xA9, browserSearch = 0xAA, browserFavorites = 0xAB;
constexpr std::uint8_t browserHome = 0xAC, volumeMute = 0xAD, volumeDown = 0xAE, volumeUp = 0xAF;
constexpr std::uint8_t mediaNext = 0xB0, mediaPrevious = 0xB1, mediaStop = 0xB2;
constexpr std::uint8_t mediaPlayPause = 0xB3, launchMail = 0xB4, launchMedia = 0xB5;
constexpr std::uint8_t launchApp1 = 0xB6, launchApp2 = 0xB7;
constexpr std::uint8_t semicolon = 0xBA, plus = 0xBB, comma = 0xBC, minus = 0xBD;
constexpr std::uint8_t period = 0xBE, slash = 0xBF, grave = 0xC0;
constexpr std::uint8_t leftBracket = 0xDB, backslash = 0xDC, rightBracket = 0xDD;
constexpr std::uint8_t quote = 0xDE, oem102 = 0xE2;
} // namespace Vk

// Keys by their position on a US keyboard; the keypad as with Num Lock off.
constexpr std::pair<SDL_Scancode, std::uint8_t> kKeysByPosition[] = {
    {SDL_SCANCODE_RETURN, Vk::enter},
    {SDL_SCANCODE_ESCAPE, Vk::escape},
    {SDL_SCANCODE_BACKSPACE, Vk::backspace},
    {SDL_SCANCODE_TAB, Vk::tab},
    {SDL_SCANCODE_SPACE, Vk::space},
    {SDL_SCANCODE_MINUS, Vk::minus},
    {SDL_SCANCODE_EQUALS, Vk::plus},
    {SDL_SCANCODE_LEFTBRACKET, Vk::leftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, Vk::rightBracket},
    {SDL_SCANCODE_BACKSLASH, Vk::backslash},
    {SDL_SCANCODE_NONUSHASH, Vk::backslash},
    {SDL_SCANCODE_SEMICOLON, Vk::semicolon},
    {SDL_SCANCODE_APOSTROPHE, Vk::quote},
    {SDL_SCANCODE_GRAVE, Vk::grave},
    {SDL_SCANCODE_COMMA, Vk::comma},
    {SDL_SCANCODE_PERIOD, Vk::period},
    {SDL_SCANCODE_SLASH, Vk::slash},
    {SDL_SCANCODE_NONUSBACKSLASH, Vk::oem102},
    {SDL_SCANCODE_CAPSLOCK, Vk::capsLock},
    {SDL_SCANCODE_PRINTSCREEN, Vk::printScreen},
    {SDL_SCANCODE_SCROLLLOCK, Vk::scrollLock},
    {SDL_SCANCODE_PAUSE, Vk::pause},
    {SDL_SCANCODE_INSERT, Vk::insert},
    {SDL_SCANCODE_HOME, Vk::home},
    {SDL_SCANCODE_PAGEUP, Vk::pageUp},
    {SDL_SCANCODE_DELETE, Vk::del},
    {SDL_SCANCODE_END, Vk::end},
    {SDL_SCANCODE_PAGEDOWN, Vk::pageDown},
    {SDL_SCANCODE_RIGHT, Vk::right},
    {SDL_SCANCODE_LEFT, Vk::left},
    {SDL_SCANCODE_DOWN, Vk::down},
    {SDL_SCANCODE_UP, Vk::up},
    {SDL_SCANCODE_NUMLOCKCLEAR, Vk::numLock},
    {SDL_SCANCODE_KP_DIVIDE, Vk::divide},
    {SDL_SCANCODE_KP_MULTIPLY, Vk::multiply},
    {SDL_SCANCODE_KP_MINUS, Vk::subtract},
    {SDL_SCANCODE_KP_PLUS, Vk::add},
    {SDL_SCANCODE_KP_ENTER, Vk::enter},
    {SDL_SCANCODE_KP_1, Vk::end},
    {SDL_SCANCODE_KP_2, Vk::down},
    {SDL_SCANCODE_KP_3, Vk::pageDown},
    {SDL_SCANCODE_KP_4, Vk::left},
    {SDL_SCANCODE_KP_5, Vk::clear},
    {SDL_SCANCODE_KP_6, Vk::right},
    {SDL_SCANCODE_KP_7, Vk::home},
    {SDL_SCANCODE_KP_8, Vk::up},
    {SDL_SCANCODE_KP_9, Vk::pageUp},
    {SDL_SCANCODE_KP_0, Vk::insert},
    {SDL_SCANCODE_KP_PERIOD, Vk::del},
    {SDL_SCANCODE_KP_COMMA, Vk::separator},
    {SDL_SCANCODE_APPLICATION, Vk::applications},
    {SDL_SCANCODE_MENU, Vk::applications},
    {SDL_SCANCODE_EXECUTE, Vk::execute},
    {SDL_SCANCODE_HELP, Vk::help},
    {SDL_SCANCODE_SELECT, Vk::select},
    {SDL_SCANCODE_CANCEL, Vk::cancel},
    {SDL_SCANCODE_CLEAR, Vk::clear},
    {SDL_SCANCODE_LANG1, Vk::hangul},
    {SDL_SCANCODE_LANG2, Vk::hanja},
    {SDL_SCANCODE_LCTRL, Vk::control},
    {SDL_SCANCODE_RCTRL, Vk::control},
    {SDL_SCANCODE_LSHIFT, Vk::shift},
    {SDL_SCANCODE_RSHIFT, Vk::shift},
    {SDL_SCANCODE_LALT, Vk::alt},
    {SDL_SCANCODE_RALT, Vk::alt},
    {SDL_SCANCODE_LGUI, Vk::leftWindows},
    {SDL_SCANCODE_RGUI, Vk::rightWindows},
    {SDL_SCANCODE_MUTE, Vk::volumeMute},
    {SDL_SCANCODE_VOLUMEUP, Vk::volumeUp},
    {SDL_SCANCODE_VOLUMEDOWN, Vk::volumeDown},
    {SDL_SCANCODE_AUDIONEXT, Vk::mediaNext},
    {SDL_SCANCODE_AUDIOPREV, Vk::mediaPrevious},
    {SDL_SCANCODE_AUDIOSTOP, Vk::mediaStop},
    {SDL_SCANCODE_AUDIOPLAY, Vk::mediaPlayPause},
    {SDL_SCANCODE_AUDIOMUTE, Vk::volumeMute},
    {SDL_SCANCODE_MEDIASELECT, Vk::launchMedia},
    {SDL_SCANCODE_MAIL, Vk::launchMail},
    {SDL_SCANCODE_COMPUTER, Vk::launchApp1},
    {SDL_SCANCODE_CALCULATOR, Vk::launchApp2},
    {SDL_SCANCODE_WWW, Vk::browserHome},
    {SDL_SCANCODE_AC_HOME, Vk::browserHome},
    {SDL_SCANCODE_AC_SEARCH, Vk::browserSearch},
    {SDL_SCANCODE_AC_BACK, Vk::browserBack},
    {SDL_SCANCODE_AC_FORWARD, Vk::browserForward},
    {SDL_SCANCODE_AC_STOP, Vk::browserStop},
    {SDL_SCANCODE_AC_REFRESH, Vk::browserRefresh},
    {SDL_SCANCODE_AC_BOOKMARKS, Vk::browserFavorites},
    {SDL_SCANCODE_SLEEP, Vk::sleep},
};

constexpr auto kKeyTable = [] {
    std::array<std::uint8_t, SDL_NUM_SCANCODES> table{};
    for (int i = 0; i < 26; ++i)
        table[SDL_SCANCODE_A + i] = static_cast<std::uint8_t>(Vk::letterA + i);
    // The digit row: 1 to 9, then 0.
    for (int i = 0; i < 9; ++i)
        table[SDL_SCANCODE_1 + i] = static_cast<std::uint8_t>(Vk::digit0 + 1 + i);
    table[SDL_SCANCODE_0] = Vk::digit0;
    for (int i = 0; i < 12; ++i) {
        table[SDL_SCANCODE_F1 + i] = static_cast<std::uint8_t>(Vk::f1 + i);
        table[SDL_SCANCODE_F13 + i] = static_cast<std::uint8_t>(Vk::f13 + i);
    }
    for (auto [scancode, code] : kKeysByPosition)
        table[scancode] = code;
    return table;
}();

// The keypad's digit keys with Num Lock on: numpad codes and the decimal point.
std::uint8_t numpadCode(SDL_Scancode scancode)
{
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return static_cast<std::uint8_t>(Vk::numpad0 + 1 + (scancode - SDL_SCANCODE_KP_1));
    if (scancode == SDL_SCANCODE_KP_0)
        return Vk::numpad0;
    if (scancode == SDL_SCANCODE_KP_PERIOD)
        return Vk::decimal;
    return 0;
}

// The key a key-down means in the keyboard's layout, named by the scancode
// that key has on a US keyboard, or SDL_SCANCODE_UNKNOWN when its keycode
// names none. Letters, digits and the keys of ASCII controls (Escape, Enter)
// are named by their character; keys without one by the scancode SDL keeps
// in their keycode (a Caps Lock that the layout makes Escape counts as
// Escape, an Escape made Caps Lock as Caps Lock).
SDL_Scancode keyByMeaning(SDL_Keycode sym)
{
    if (sym >= SDLK_a && sym <= SDLK_z)
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (sym - SDLK_a));
    if (sym >= SDLK_1 && sym <= SDLK_9)
        return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (sym - SDLK_1));
    switch (sym) {
    case SDLK_0: return SDL_SCANCODE_0;
    case SDLK_ESCAPE: return SDL_SCANCODE_ESCAPE;
    case SDLK_RETURN: return SDL_SCANCODE_RETURN;
    case SDLK_TAB: return SDL_SCANCODE_TAB;
    case SDLK_BACKSPACE: return SDL_SCANCODE_BACKSPACE;
    case SDLK_SPACE: return SDL_SCANCODE_SPACE;
    case SDLK_DELETE: return SDL_SCANCODE_DELETE;
    default: break;
    }
    if ((sym & SDLK_SCANCODE_MASK) && (sym & ~SDLK_SCANCODE_MASK) < SDL_NUM_SCANCODES)
        return static_cast<SDL_Scancode>(sym & ~SDLK_SCANCODE_MASK);
    return SDL_SCANCODE_UNKNOWN;
}

} // namespace

std::uint8_t virtualKeyCode(const SDL_Keysym& key)
{
    // By meaning, as Windows gives virtual-key codes; punctuation, other
    // characters and keys the layout leaves without a keycode by position.
    SDL_Scancode scancode = keyByMeaning(key.sym);
    if (scancode == SDL_SCANCODE_UNKNOWN)
        scancode = key.scancode;
    if (key.mod & KMOD_NUM) {
        if (std::uint8_t code = numpadCode(scancode))
            return code;
    }
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES)
        return 0;
    return kKeyTable[scancode];
}
