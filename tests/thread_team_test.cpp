// The thread team: every thread runs each job once, meetings hold every
// thread until all have arrived, and teams end cleanly.
#include "runtime/thread_team.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Each thread writes its round into its own slot, then, after a meeting,
// checks that every other thread has written the same round.
struct Rounds {
    ThreadTeam* team;
    int round = 0;
    std::vector<int> written;
    std::vector<int> seenComplete;
};

void writeMeetAndRead(void* context, int index)
{
    Rounds& r = *static_cast<Rounds*>(context);
    r.written[index] = r.round;
    meetTeam(*r.team);
    bool complete = true;
    for (int w : r.written)
        complete = complete && w == r.round;
    r.seenComplete[index] = complete ? r.round : -1;
}

TEST(ThreadTeam, EveryThreadRunsEachJobOnceAndMeetingsHoldUntilAllArrive)
{
    for (int size : {1, 2, 3, 8}) {
        ThreadTeam team(size);
        ASSERT_EQ(teamSize(team), size);
        Rounds r{&team, 0, std::vector<int>(size, -1), std::vector<int>(size, -1)};
        for (r.round = 0; r.round < 2000; ++r.round) {
            runTogether(team, {writeMeetAndRead, &r});
            // runTogether returns only when every thread has finished.
            for (int i = 0; i < size; ++i)
                ASSERT_EQ(r.seenComplete[i], r.round) << "size " << size << ", thread " << i;
        }
    }
}

TEST(ThreadTeam, ATeamOfOneRunsTheJobOnTheCallingThread)
{
    for (int size : {-3, 0, 1}) {
        ThreadTeam team(size);
        EXPECT_EQ(teamSize(team), 1);
        std::thread::id ranOn;
        struct Job {
            std::thread::id* ranOn;
        } job{&ranOn};
        runTogether(team, {[](void* c, int index) {
                               EXPECT_EQ(index, 0);
                               *static_cast<Job*>(c)->ranOn = std::this_thread::get_id();
                           },
                           &job});
        EXPECT_EQ(ranOn, std::this_thread::get_id());
    }
}

// Workers that have fallen asleep between jobs wake for the next one, and
// for the team's end.
TEST(ThreadTeam, SleepingWorkersWakeForJobsAndForTheEnd)
{
    ThreadTeam team(3);
    int runs[3] = {};
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        runTogether(team, {[](void* c, int index) { ++static_cast<int*>(c)[index]; }, runs});
    }
    EXPECT_EQ(runs[0], 3);
    EXPECT_EQ(runs[1], 3);
    EXPECT_EQ(runs[2], 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// The demo may end the process from inside its frame loop (the window
// closed) while its team exists: exit must neither hang nor crash.
TEST(ThreadTeamDeathTest, TheProcessMayExitWhileATeamExists)
{
    EXPECT_EXIT(
        {
            ThreadTeam team(4);
            runTogether(team, {[](void*, int) {}, nullptr});
            std::exit(3);
        },
        testing::ExitedWithCode(3), "");
}

} // namespace
