#pragma once
// How a benchmark program is run: at full size, or, with MIG_BENCH_SMOKE=1 in the environment
// (scripts/bench --smoke, which CI runs), at a tiny size that only shows the program still
// works; and how often a benchmark compared with a plain reference repeats.
#include <cstdlib>
#include <cstring>

namespace mig::bench {

inline bool smokeRun() {
    const char* v = std::getenv("MIG_BENCH_SMOKE");
    return v != nullptr && std::strcmp(v, "1") == 0;
}

// `full` records at full size, `tiny` in a smoke run.
inline int sized(int full, int tiny) { return smokeRun() ? tiny : full; }

// The least time a benchmark that runs until enough time has passed runs for, in seconds.
inline double minTime(double full) { return smokeRun() ? 0.01 : full; }

// A benchmark compared with a plain reference runs this many times, its repetitions shuffled
// among the reference's (scripts/bench asks for random interleaving), and the report takes the
// median of each: a burst of other work on a shared machine then moves one repetition of one
// side rather than the ratio.
inline int pairedRepetitions() { return smokeRun() ? 1 : 5; }

}  // namespace mig::bench
