// A team of threads started once that run one job at a time together.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// A job for every thread of a team: run(context, index) is called once on
// each thread, index 0 being the caller's.
struct TeamJob {
    void (*run)(void* context, int index);
    void* context;
};

// The caller of runTogether and `size` - 1 worker threads (a size below 1
// counts as 1), started with the team. Between jobs the workers wait: they
// spin for a few microseconds, through the short gaps between a frame's
// jobs, then sleep until woken (at once, in a team with more threads than
// the machine has cores). Nothing is allocated or
// started per job. The workers take the creating thread's floating-point
// environment. When the system refuses a thread, the team makes do with the
// workers it has. Destroying the team stops and joins the workers; a
// process may also end (exit) while a team exists, as long as it is not
// running a job.
struct ThreadTeam {
    std::vector<std::thread> workers;
    TeamJob job{};
    bool crowded = false; // more threads than cores: waiting threads sleep at once
    std::atomic<bool> stopping{false};
    std::atomic<std::uint32_t> jobsStarted{0}; // bumped to hand out a job, or to stop
    std::atomic<int> busy{0};                  // workers still running the current job
    std::atomic<int> arrived{0};               // threads at the current meeting
    std::atomic<std::uint32_t> meetings{0};    // meetings completed

    explicit ThreadTeam(int size);
    ThreadTeam(const ThreadTeam&) = delete;
    ThreadTeam& operator=(const ThreadTeam&) = delete;
    ~ThreadTeam();
};

// Threads in the team, the caller's included.
int teamSize(const ThreadTeam& team);

// Runs the job on every thread of the team, index 0 on the calling thread,
// and returns when all have finished. Call it from one thread at a time.
void runTogether(ThreadTeam& team, TeamJob job);

// Inside a job: returns once every thread of the team has called it, so
// that what each wrote before is seen by all after.
void meetTeam(ThreadTeam& team);
