// Non-blocking key input: the terminal or pipe on standard input, and the
// one-character pending slot that the display window fills.
#include "runtime/keys.h"

#include "runtime/terminal.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

// How long the rest of an escape sequence may take to arrive. A terminal
// sends a whole sequence in one write, so an Esc byte with nothing behind it
// after this long is the Esc key itself.
constexpr int kSequenceWaitMs = 10;

constexpr unsigned char kEsc = 27;

KeySource console;

bool inForeground(const KeySource& source)
{
    return !source.terminal || tcgetpgrp(source.fd) == getpgrp();
}

// Reads the bytes that are available, waiting up to waitMs for the first.
// Returns true when at least one byte was added. End of input, or an error
// other than an interruption, ends the source for good, so a closed pipe
// costs nothing on later calls.
bool fillBytes(KeySource& source, int waitMs)
{
    if (source.ended || !inForeground(source))
        return false;
    if (source.head > 0) {
        std::memmove(source.bytes, source.bytes + source.head, source.tail - source.head);
        source.tail -= source.head;
        source.head = 0;
    }
    int room = static_cast<int>(sizeof source.bytes) - source.tail;
    if (room == 0)
        return false;

    pollfd ready{source.fd, POLLIN, 0};
    int count;
    do
        count = poll(&ready, 1, waitMs);
    while (count < 0 && errno == EINTR);
    if (count == 0)
        return false;
    if (count < 0 || (ready.revents & POLLNVAL)) {
        source.ended = true;
        return false;
    }

    ssize_t got;
    do
        got = read(source.fd, source.bytes + source.tail, room);
    while (got < 0 && errno == EINTR);
    if (got > 0) {
        source.tail += static_cast<int>(got);
        return true;
    }
    if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
        source.ended = true;
    return false;
}

// The byte at offset from the read position, waiting briefly for it; -1 when
// it does not come.
int peekByte(KeySource& source, int offset)
{
    while (source.tail - source.head <= offset)
        if (!fillBytes(source, kSequenceWaitMs))
            return -1;
    return source.bytes[source.head + offset];
}

int takeByte(KeySource& source)
{
    int byte = peekByte(source, 0);
    if (byte >= 0)
        ++source.head;
    return byte;
}

// The key named by the final byte of a CSI or SS3 sequence.
unsigned char keyOfFinal(int final)
{
    switch (final) {
    case 'A': return ScanCode::up;
    case 'B': return ScanCode::down;
    case 'C': return ScanCode::right;
    case 'D': return ScanCode::left;
    case 'E': return ScanCode::centre;
    case 'H': return ScanCode::home;
    case 'F': return ScanCode::end;
    case 'Z': return ScanCode::backTab;
    case 'P': case 'Q': case 'R': case 'S':
        return static_cast<unsigned char>(ScanCode::f1 + (final - 'P'));
    default: return ScanCode::unknown;
    }
}

// The key named by the number of a "CSI number ~" sequence.
unsigned char keyOfNumber(int number)
{
    switch (number) {
    case 1: case 7: return ScanCode::home;
    case 2: return ScanCode::insert;
    case 3: return ScanCode::del;
    case 4: case 8: return ScanCode::end;
    case 5: return ScanCode::pageUp;
    case 6: return ScanCode::pageDown;
    case 23: return ScanCode::f11;
    case 24: return ScanCode::f12;
    default: break;
    }
    if (number >= 11 && number <= 15) // F1..F5
        return static_cast<unsigned char>(ScanCode::f1 + number - 11);
    if (number >= 17 && number <= 21) // F6..F10
        return static_cast<unsigned char>(ScanCode::f1 + 5 + number - 17);
    return ScanCode::unknown;
}

// Consumes the rest of an escape sequence whose Esc byte has been taken and
// returns the scan code it stands for. Whatever the bytes are, the sequence
// is consumed whole, so none of it comes out later as a key of its own.
unsigned char decodeSequence(KeySource& source)
{
    int intro = takeByte(source);
    if (intro != '[' && intro != 'O')
        return ScanCode::unknown; // Alt with a key: two bytes, one key

    if (intro == '[' && peekByte(source, 0) == '[') { // console F1..F5: ESC [ [ A..E
        takeByte(source);
        int final = takeByte(source);
        return final >= 'A' && final <= 'E'
                   ? static_cast<unsigned char>(ScanCode::f1 + final - 'A')
                   : ScanCode::unknown;
    }

    int number = 0;
    bool inFirstNumber = true;
    for (;;) {
        int byte = takeByte(source);
        if (byte < 0)
            return ScanCode::unknown;
        if (byte >= '0' && byte <= '9') {
            if (inFirstNumber && number < 1000)
                number = number * 10 + (byte - '0');
        } else if (byte >= 0x20 && byte <= 0x3F) {
            inFirstNumber = false; // separators, further parameters, intermediates
        } else if (byte >= 0x40 && byte <= 0x7E) {
            return byte == '~' ? keyOfNumber(number) : keyOfFinal(byte);
        } else {
            return ScanCode::unknown; // not part of any sequence: stop here
        }
    }
}

} // namespace

std::string readKeyFrom(KeySource& source)
{
    if (source.pending >= 0) {
        char code = static_cast<char>(source.pending);
        source.pending = -1;
        return std::string(1, code);
    }
    if (source.head == source.tail && !fillBytes(source, 0))
        return {};

    unsigned char byte = source.bytes[source.head++];
    if (byte != kEsc || !source.sequences)
        return std::string(1, static_cast<char>(byte));

    int next = peekByte(source, 0);
    if (next < 0 || next == kEsc)
        return std::string(1, static_cast<char>(kEsc));
    return {static_cast<char>(kExtendedKeyPrefix), static_cast<char>(decodeSequence(source))};
}

std::string readKey()
{
    return readKeyFrom(console);
}

bool pushPendingKey(KeySource& source, unsigned char code)
{
    if (source.pending >= 0)
        return false;
    source.pending = code;
    return true;
}

bool pushPendingKey(unsigned char code)
{
    return pushPendingKey(console, code);
}

std::int32_t compareStrings(const std::string* a, const std::string* b)
{
    if (!a)
        return b ? -1 : 0;
    if (!b)
        return 1;
    std::size_t shorter = a->size() < b->size() ? a->size() : b->size();
    for (std::size_t i = 0; i < shorter; ++i) {
        auto ca = static_cast<signed char>((*a)[i]);
        auto cb = static_cast<signed char>((*b)[i]);
        if (ca != cb)
            return ca > cb ? 1 : -1;
    }
    if (a->size() == b->size())
        return 0;
    return a->size() > b->size() ? 1 : -1;
}

void startKeyInput()
{
    console.fd = STDIN_FILENO;
    console.terminal = isatty(STDIN_FILENO) != 0;
    console.sequences = console.terminal;
    if (console.terminal)
        enterKeyMode(STDIN_FILENO);
}
