// Which rows of a frame each thread of a team draws and clears.
#pragma once

#include <algorithm>
#include <cstdint>

// The rows of one of `count` threads: runs of `run` rows dealt out to the
// threads in turn, this thread's being number `index`, so row y is in the
// set when (y / run) % count == index. The default set holds every row.
struct RowSet {
    std::int32_t index = 0;
    std::int32_t count = 1;
    std::int32_t run = 1;
};

// Rows [first, end): one run of a set.
struct RowRun {
    std::int64_t first, end;
};

// The rows of thread `index` of `count` in a frame `height` rows high. Every
// thread gets at least eight runs, so that the work spreads evenly over the
// threads, and runs are up to 16 rows long: the fewer places where one
// thread's rows meet another's, the fewer cache lines the cores hand back
// and forth, above all when the same thread clears the rows it draws.
inline RowSet rowShare(std::int32_t index, std::int32_t count, std::int32_t height)
{
    const std::int32_t run = std::clamp(height / (count * 8), 1, 16);
    return {index, count, run};
}

// The first run of the set that ends after row y.
inline RowRun runFrom(const RowSet& rows, std::int64_t y)
{
    const std::int64_t period = static_cast<std::int64_t>(rows.run) * rows.count;
    const std::int64_t base = static_cast<std::int64_t>(rows.index) * rows.run;
    const std::int64_t first = y - ((y - base) % period + period) % period;
    return first + rows.run > y ? RowRun{first, first + rows.run} : RowRun{first + period, first + period + rows.run};
}

// The run after r.
inline RowRun nextRun(const RowSet& rows, const RowRun& r)
{
    const std::int64_t period = static_cast<std::int64_t>(rows.run) * rows.count;
    return {r.first + period, r.end + period};
}

// Whether the set is one that runFrom and nextRun can walk.
inline bool isRowSet(const RowSet& rows)
{
    return rows.count >= 1 && rows.run >= 1 && rows.index >= 0 && rows.index < rows.count;
}
