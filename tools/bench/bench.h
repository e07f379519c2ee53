#pragma once

// What every measure of blx52-bench shares: its arguments, its figures for the summary table of
// `blx52-bench all`, and the arithmetic of wire times and medians.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace blx52::bench {

// One row of the summary: our figure, the figure it is held against, and the goal for their
// ratio (0: none, the ratio is only shown).
struct Figure {
    std::string measure;
    double oursMs = 0;
    std::string against;
    double limitMs = 0;
    double goal = 0;
};

// A measure's arguments (without the subcommand). `summary`: run for `all`, which starts each
// measure as a process of its own (so no toolkit state passes from one to the next): fewer
// rounds, and each figure also printed as one tab-separated line that `all` collects.
struct Run {
    std::vector<std::string> args;
    std::string self;  // this program's path, for measures that start processes
    bool summary = false;

    void add(const Figure& figure) const;
};

// What a measure's own toolkit application is given: the program's name alone (the measure's
// arguments are its own). Lives as long as the application.
struct AppArguments {
    int argc = 1;
    char name[12] = "blx52-bench";
    char* argv[2] = {name, nullptr};
};

// A measure: 0 done, 1 a failure spoiled it, 2 bad arguments.
using Measure = int (*)(const Run&);

// The time `bytes` need on the line at 115200 baud, 10 bits a byte (8N1), in milliseconds.
inline double wireTimeMs(std::size_t bytes) {
    return static_cast<double>(bytes) * 10.0 / 115200.0 * 1000.0;
}

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class F>
double timedMs(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// An integer option value within [low, high]; nothing when it is none.
std::optional<int> intArgument(const std::string& text, int low, int high);

// Each line through the link alone on `port`, one exchange each, as the window's read and write
// run them; the time of all in ms. Counts the failed exchanges and the bytes both ways.
double linkExchangesMs(const std::string& port, const std::vector<std::string>& lines,
                       int* failures, std::size_t* wireBytes = nullptr);

int measureRead(const Run& run);
#ifdef BLX52_BENCH_WINDOW
int measureCanvas(const Run& run);
#endif
#if defined(BLX52_BENCH_WINDOW) && defined(BLX52_BENCH_SIMULATOR)
int measureSend(const Run& run);
int measureWindow(const Run& run);
int measureBatch(const Run& run);
int measureStartup(const Run& run);
int measureCli(const Run& run);
int measurePreview(const Run& run);
#endif

}  // namespace blx52::bench
