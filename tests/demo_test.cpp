// The frame loop's order of calls, driven with a fake clock and display.
#include "app/demo.h"

#include "render/pixel_buffer.h"
#include "runtime/keys.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

struct ProgramEnded {
    std::int32_t status;
};

// Fake services that log every call. The clock reads `now`; a frame may move
// it on by a number of update steps, as a slow frame would.
struct FakeDemo {
    std::vector<std::string> log;
    double now = 1000.0;
    std::deque<double> frameTimes;   // the clock after each frame, as steps after the start
    std::deque<std::string> keys;    // keys read after each frame; Esc when they run out
    std::deque<std::int32_t> polls;  // what the display answers before each frame; 1 when they run out
    std::int32_t displayOpens = 1;
    int closes = 0;
    PixelBuffer* colour = nullptr;

    DemoServices services()
    {
        DemoServices s;
        s.clock = [this] { return now; };
        s.openDisplay = [this](const char* title, std::int32_t width, std::int32_t height) {
            log.push_back(std::string("open ") + title + " " + std::to_string(width) + "x" + std::to_string(height));
            return displayOpens;
        };
        s.presentBuffer = [this](const PixelBuffer& buffer) {
            log.push_back(buffer.cells[0] == 0xABCDEF ? "present drawn" : "present blank");
            return 1;
        };
        s.pollDisplay = [this] {
            std::int32_t shows = polls.empty() ? 1 : polls.front();
            if (!polls.empty())
                polls.pop_front();
            if (!shows)
                log.push_back("idle");
            return shows;
        };
        s.closeDisplay = [this] {
            log.push_back("close");
            ++closes;
        };
        s.readKey = [this] {
            bool cleared = colour->cells[0] == 0 && colour->depthBuffer->cells[0] == 0;
            log.push_back(cleared ? "key" : "key before clear");
            std::string key = keys.empty() ? std::string(1, '\x1b') : keys.front();
            if (!keys.empty())
                keys.pop_front();
            return key;
        };
        s.endProgram = [this](std::int32_t status) {
            log.push_back("end " + std::to_string(status));
            throw ProgramEnded{status};
        };
        s.buildWorld = [this] { log.push_back("build"); };
        s.updateStep = [this] { log.push_back("step"); };
        s.drawFrame = [this](PixelBuffer& buffer) {
            colour = &buffer;
            buffer.cells[0] = 0xABCDEF;
            buffer.depthBuffer->cells[0] = 0x3F800000;
            log.push_back("draw");
            if (!frameTimes.empty()) {
                now = 1000.0 + frameTimes.front() * kUpdateStep;
                frameTimes.pop_front();
            }
        };
        return s;
    }
};

std::vector<std::string> frame(int steps = 0)
{
    std::vector<std::string> events(steps, "step");
    for (const char* e : {"draw", "present drawn", "key"})
        events.push_back(e);
    return events;
}

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(FrameLoop, FirstPassDrawsThenEscClosesOnceAfterTheFrameIsPresentedAndCleared)
{
    FakeDemo demo;
    runDemo(demo.services());
    EXPECT_EQ(demo.log, join({{"open Tessik 640x480", "build"}, frame(), {"close"}}));
    EXPECT_EQ(demo.closes, 1);
}

TEST(FrameLoop, CatchesUpEveryStepThatFellDueThenDraws)
{
    FakeDemo demo;
    // Frames that leave the clock 3.5, 4.5 and 4.9 steps after the start: the
    // first is followed by 3 steps, the second by 1, the third by none.
    demo.frameTimes = {3.5, 4.5, 4.9};
    demo.keys = {"", "", ""};
    runDemo(demo.services());
    EXPECT_EQ(demo.log, join({{"open Tessik 640x480", "build"}, frame(), frame(3), frame(1), frame(0), {"close"}}));
}

TEST(FrameLoop, AClockEqualToTheDeadlineDraws)
{
    FakeDemo demo;
    demo.frameTimes = {0.0};
    demo.keys = {""};
    DemoServices services = demo.services();
    // After the first frame the clock reads exactly the deadline.
    services.drawFrame = [&, draw = services.drawFrame](PixelBuffer& buffer) {
        draw(buffer);
        demo.now = 1000.0 + kUpdateStep;
    };
    runDemo(services);
    EXPECT_EQ(demo.log, join({{"open Tessik 640x480", "build"}, frame(), frame(), {"close"}}));
}

TEST(FrameLoop, OnlyTheOneCharacterEscQuits)
{
    FakeDemo demo;
    const char extended[] = {static_cast<char>(kExtendedKeyPrefix), 27};
    demo.keys = {"", "a", std::string(extended, 2), std::string("\x1b\x1b"), std::string(1, '\x1b')};
    runDemo(demo.services());
    EXPECT_EQ(demo.log, join({{"open Tessik 640x480", "build"}, frame(), frame(), frame(), frame(), frame(), {"close"}}));
    EXPECT_EQ(demo.closes, 1);
}

// Minimised, the loop draws nothing, yet keeps time and reads keys: Esc
// still ends it.
TEST(FrameLoop, NoFrameIsDrawnWhileTheDisplayShowsNone)
{
    FakeDemo demo;
    demo.polls = {1, 0, 0, 1, 0};
    demo.frameTimes = {1.5};
    demo.keys = {"", "", "", ""};
    runDemo(demo.services());
    const std::vector<std::string> idle = {"idle", "key"};
    EXPECT_EQ(demo.log, join({{"open Tessik 640x480", "build"}, frame(), {"step"}, idle, idle, frame(),
                              idle, {"close"}}));
}

TEST(FrameLoop, ADisplayThatCannotOpenEndsWithMinusOneBeforeTheSceneIsBuilt)
{
    FakeDemo demo;
    demo.displayOpens = 0;
    try {
        runDemo(demo.services());
        FAIL() << "runDemo went on without a display";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.status, -1);
    }
    EXPECT_EQ(demo.log, (std::vector<std::string>{"open Tessik 640x480", "end -1"}));
    EXPECT_EQ(demo.closes, 0);
}
