// The generator, string comparison and the key reader.
#include "runtime/keys.h"
#include "runtime/program.h"
#include "runtime/random.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ext(unsigned char code)
{
    return {static_cast<char>(kExtendedKeyPrefix), static_cast<char>(code)};
}

// A key source reading the far end of a pipe that the test writes into,
// decoding escape sequences as from a terminal unless told otherwise.
struct PipeKeys {
    int fds[2] = {-1, -1};
    KeySource source;

    explicit PipeKeys(bool sequences = true)
    {
        EXPECT_EQ(pipe(fds), 0);
        source.fd = fds[0];
        source.sequences = sequences;
    }
    ~PipeKeys()
    {
        close(fds[0]);
        if (fds[1] >= 0)
            close(fds[1]);
    }
    void write(const std::string& bytes) { ASSERT_EQ(::write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    void closeInput()
    {
        close(fds[1]);
        fds[1] = -1;
    }
    std::vector<std::string> readAll()
    {
        std::vector<std::string> keys;
        for (std::string key = readKeyFrom(source); !key.empty(); key = readKeyFrom(source))
            keys.push_back(key);
        return keys;
    }
};

} // namespace

TEST(Random, StartsFromTheSameStateAndAdvancesOneDrawPerCall)
{
    restartRandom();
    const std::int32_t first[] = {41, 18467, 6334, 26500, 19169};
    for (std::int32_t expected : first)
        EXPECT_EQ(nextRandom15(), expected);

    restartRandom();
    for (std::int32_t expected : first)
        EXPECT_EQ(randomFraction(), expected / 32768.0);

    restartRandom();
    double largest = 0;
    for (int i = 0; i < 200000; ++i)
        largest = std::max(largest, randomFraction());
    EXPECT_EQ(largest, 32767.0 / 32768.0);
    restartRandom();
}

TEST(CompareStrings, SignedBytesLengthsAndAbsentStrings)
{
    const std::string empty, esc(1, '\x1b'), esc2(1, '\x1b'), up = ext(ScanCode::up);
    const std::string ab = "ab", abc = "abc", withZero("a\0b", 3), withZero2("a\0c", 3);
    EXPECT_EQ(compareStrings(&empty, &esc), -1);
    EXPECT_EQ(compareStrings(&esc, &esc2), 0);
    EXPECT_EQ(compareStrings(&up, &esc), -1); // 255 counts as -1
    EXPECT_EQ(compareStrings(&esc, &up), 1);
    EXPECT_EQ(compareStrings(&abc, &ab), 1);
    EXPECT_EQ(compareStrings(&ab, &abc), -1);
    EXPECT_EQ(compareStrings(&withZero, &withZero2), -1); // a zero byte inside is an ordinary byte
    EXPECT_EQ(compareStrings(nullptr, nullptr), 0);
    EXPECT_EQ(compareStrings(nullptr, &empty), -1);
    EXPECT_EQ(compareStrings(&empty, nullptr), 1);
}

TEST(KeyInput, EscapeSequencesBecomeOneExtendedKey)
{
    struct Case {
        const char* bytes;
        std::string key;
    };
    const Case cases[] = {
        {"\x1b[A", ext(ScanCode::up)},       {"\x1b[B", ext(ScanCode::down)},
        {"\x1b[C", ext(ScanCode::right)},    {"\x1b[D", ext(ScanCode::left)},
        {"\x1bOA", ext(ScanCode::up)},       {"\x1bOP", ext(ScanCode::f1)},
        {"\x1b[15~", ext(0x3F)},             {"\x1b[21~", ext(0x44)},
        {"\x1b[24~", ext(ScanCode::f12)},    {"\x1b[3~", ext(ScanCode::del)},
        {"\x1b[H", ext(ScanCode::home)},     {"\x1b[1;5A", ext(ScanCode::up)},
        {"\x1b[[B", ext(0x3C)},              {"\x1b[99~", ext(ScanCode::unknown)},
        {"\x1b[?1;2$y", ext(ScanCode::unknown)},
    };
    for (const Case& c : cases) {
        PipeKeys keys;
        keys.write(c.bytes);
        keys.write("x");
        std::vector<std::string> got = keys.readAll();
        ASSERT_EQ(got.size(), 2u) << "sequence " << (c.bytes + 1);
        EXPECT_EQ(got[0], c.key) << "sequence " << (c.bytes + 1);
        EXPECT_EQ(got[1], "x") << "sequence " << (c.bytes + 1) << " was not consumed whole";
    }
}

TEST(KeyInput, OnlyALoneEscByteIsEsc)
{
    PipeKeys keys;
    keys.write("a\x1b\x1b");
    // The second Esc has nothing behind it; waiting for a sequence times out.
    EXPECT_EQ(keys.readAll(), (std::vector<std::string>{"a", "\x1b", "\x1b"}));

    keys.write("\x1b");
    keys.write("[A"); // arrives before the reader looks: one key
    EXPECT_EQ(keys.readAll(), (std::vector<std::string>{ext(ScanCode::up)}));

    keys.write("\x1b");
    keys.closeInput();
    EXPECT_EQ(keys.readAll(), (std::vector<std::string>{"\x1b"}));
}

TEST(KeyInput, WithoutSequencesEveryByteIsAKey)
{
    PipeKeys keys(false);
    keys.write("\x1b\n");
    EXPECT_EQ(keys.readAll(), (std::vector<std::string>{"\x1b", "\n"}));
    keys.write("ab\x1bx\x1b[A\x1bOP");
    EXPECT_EQ(keys.readAll(), (std::vector<std::string>{"a", "b", "\x1b", "x", "\x1b", "[", "A", "\x1b", "O", "P"}));
    keys.write(std::string("\xff\x00", 2));
    EXPECT_EQ(keys.readAll(), (std::vector<std::string>{"\xff", std::string(1, '\0')}));
}

TEST(KeyInput, EndOfInputMeansNoKeyFromThenOn)
{
    PipeKeys keys;
    keys.write("q");
    keys.closeInput();
    EXPECT_EQ(readKeyFrom(keys.source), "q");
    EXPECT_EQ(readKeyFrom(keys.source), "");
    EXPECT_TRUE(keys.source.ended);
    // Once ended, the descriptor is not read again: closing it makes no difference.
    close(keys.fds[0]);
    keys.fds[0] = open("/dev/null", O_RDONLY);
    EXPECT_EQ(readKeyFrom(keys.source), "");

    KeySource devNull;
    devNull.fd = open("/dev/null", O_RDONLY);
    EXPECT_EQ(readKeyFrom(devNull), "");
    EXPECT_TRUE(devNull.ended);
    close(devNull.fd);
}

TEST(KeyInput, PendingSlotHoldsOneKeyAndComesFirst)
{
    PipeKeys keys;
    keys.write("z");
    EXPECT_TRUE(pushPendingKey(keys.source, 0x25));
    EXPECT_FALSE(pushPendingKey(keys.source, 27)); // full: dropped
    EXPECT_EQ(readKeyFrom(keys.source), std::string(1, '\x25'));
    EXPECT_EQ(readKeyFrom(keys.source), "z");
    EXPECT_TRUE(pushPendingKey(keys.source, 27));
    EXPECT_EQ(readKeyFrom(keys.source), "\x1b");
    EXPECT_EQ(readKeyFrom(keys.source), "");
}

// A lost display ends the program at once: exit handlers would call into
// the dead connection, so none of them runs.
TEST(ProgramDeathTest, EndingAtOnceSkipsExitHandlers)
{
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs("exit handler ran", stderr); });
            endProgramAtOnce(1);
        },
        testing::ExitedWithCode(1), "^$");
}
