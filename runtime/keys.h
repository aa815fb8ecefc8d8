// Non-blocking key input: the terminal or pipe on standard input, and the
// one-character pending slot that the display window fills.
#pragma once

#include <cstdint>
#include <string>

// The first byte of a two-character extended-key string; the second is the
// key's PC scan code.
constexpr unsigned char kExtendedKeyPrefix = 255;

// PC scan codes of the extended keys that terminal escape sequences stand for.
namespace ScanCode {
constexpr unsigned char unknown = 0x00;
constexpr unsigned char f1 = 0x3B; // F1..F10 are 0x3B..0x44
constexpr unsigned char home = 0x47;
constexpr unsigned char up = 0x48;
constexpr unsigned char pageUp = 0x49;
constexpr unsigned char left = 0x4B;
constexpr unsigned char centre = 0x4C;
constexpr unsigned char right = 0x4D;
constexpr unsigned char end = 0x4F;
constexpr unsigned char down = 0x50;
constexpr unsigned char pageDown = 0x51;
constexpr unsigned char insert = 0x52;
constexpr unsigned char del = 0x53;
constexpr unsigned char f11 = 0x85;
constexpr unsigned char f12 = 0x86;
constexpr unsigned char backTab = 0x0F;
} // namespace ScanCode

// A stream of key bytes with its read-ahead and its pending slot. The program
// has one, on standard input; tests make their own on a pipe.
struct KeySource {
    int fd = 0;
    bool terminal = false;          // a terminal: read only while in the foreground
    bool sequences = false;         // escape sequences decoded (only terminals send them)
    bool ended = false;             // end of input seen: no key from then on
    unsigned char bytes[64] = {};   // bytes read but not yet turned into keys
    int head = 0;                   // first unread byte of `bytes`
    int tail = 0;                   // one past the last byte of `bytes`
    int pending = -1;               // the pending character, -1 when empty
};

// The next key of standard input, or the pending character if there is one:
// empty when no key waits (never blocks), one character for an ordinary key,
// (255, scan code) for an extended key. A lone Esc byte is the string "\x1b".
// From a source without sequences (a pipe, a file) every byte is one key.
std::string readKey();
std::string readKeyFrom(KeySource& source);

// Puts a key code into the pending slot, which holds one character. Returns
// false, dropping the key, when the slot is already full.
bool pushPendingKey(unsigned char code);
bool pushPendingKey(KeySource& source, unsigned char code);

// Compares two counted strings byte by byte, each byte taken as a signed
// 8-bit value: -1, 0 or 1. A null pointer stands for an absent string, which
// sorts before any present one.
std::int32_t compareStrings(const std::string* a, const std::string* b);

// Prepares standard input for key reading: a terminal in the foreground is
// switched to non-canonical, no-echo mode until the program ends (see
// runtime/terminal.h) and its escape sequences are decoded; a pipe or a file
// is read as it is, byte by byte.
void startKeyInput();
