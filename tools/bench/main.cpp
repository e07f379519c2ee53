// blx52-bench: the program's speed figures, one subcommand a measure, and `all` for every measure
// of this build in one run with one summary table. A measurement, not a test: run it by hand.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "blx52_version.h"
#include "tools/bench/bench.h"

namespace {

using namespace blx52::bench;

struct Entry {
    const char* name;
    Measure measure;
    const char* usage;  // the arguments and what it times
};

// The measures this build has: the simulator needs a pseudo-terminal, the window QtWidgets.
const std::vector<Entry>& entries() {
    static const std::vector<Entry> list {
        {"read", measureRead,
         "read [--port PORT | --latency MS]\n"
         "      the 89 exchanges of a full read through the link alone, against the wire time\n"
         "      (--port: a device already answering at 115200 baud; --latency: the started\n"
         "      simulator holds each reply as a USB adapter's latency timer does)"},
#if defined(BLX52_BENCH_WINDOW) && defined(BLX52_BENCH_SIMULATOR)
            {"send", measureSend,
             "send\n"
             "      the editor's \"Send to device\" (two exchanges and the device picture file),\n"
             "      against the wire time"},
            {"window", measureWindow,
             "window [PICTURE.png]\n"
             "      a full read and a full write through the main window, in turns with the same\n"
             "      exchanges through the link alone; then reads with the exchange log closed and\n"
             "      open (PICTURE.png: the window as the first read left it)"},
            {"cli", measureCli,
             "cli\n"
             "      blx52-cli read as a whole process, in turns with \"blx52-bench read\" as one"},
            {"startup", measureStartup,
             "startup\n"
             "      the first main window mapped and painted, in turns with a bare QMainWindow of\n"
             "      the same size, each in a process of its own, on DISPLAY or else on an Xvfb\n"
             "      of its own (offscreen when there is no Xvfb either)"},
            {"batch", measureBatch,
             "batch\n"
             "      blx52-cli write with verify and send-pictures to nine simulators against one"},
            {"preview", measurePreview,
             "preview\n"
             "      the preview playing: its CPU share at 60 frames a second, how late each "
             "picture\n"
             "      change lands over 60 s, Play to the first sound samples, a GIF export"},
#endif
#ifdef BLX52_BENCH_WINDOW
            {"canvas", measureCanvas,
             "canvas [PHOTO]\n"
             "      the canvas per mouse event, and imports of a 4000 x 3000 photo-like image\n"
             "      (PHOTO: also that image file, as the canvas reads it)"},
#endif
    };
    return list;
}

int usage(std::FILE* to, int status) {
    std::fprintf(to, "usage: blx52-bench MEASURE [ARGS]   or   blx52-bench all\n");
    std::fprintf(to, "Times the configurator against a simulator paced at 115200 baud.\n\n");
    for (const Entry& e : entries())
        std::fprintf(to, "  %s\n", e.usage);
    std::fprintf(to,
                 "  all\n"
                 "      every measure above once, with fewer rounds, then one table: measure,\n"
                 "      our time, what it is held against, the ratio and its goal\n");
    return status;
}

void printTable(const std::vector<Figure>& figures) {
    std::printf("\n%-34s %10s  %-26s %10s %7s %6s\n", "measure", "ours", "against", "limit",
                "ratio", "goal");
    for (const Figure& f : figures) {
        const double ratio = f.limitMs > 0 ? f.oursMs / f.limitMs : 0;
        char goal[16] = "";
        if (f.goal > 0)
            std::snprintf(goal, sizeof goal, "%.2f%s", f.goal, ratio <= f.goal ? "" : " !");
        std::printf("%-34s %7.1f ms  %-26s %7.1f ms %7.3f %6s\n", f.measure.c_str(), f.oursMs,
                    f.against.c_str(), f.limitMs, ratio, goal);
    }
    std::printf("(a goal marked ! is missed in this run; quote medians from a quiet machine)\n");
}

constexpr std::string_view SummaryFlag = "--summary";
constexpr std::string_view FigureTag = "@figure\t";

std::vector<std::string> split(const std::string& line, char at) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t to; (to = line.find(at, from)) != std::string::npos; from = to + 1)
        parts.push_back(line.substr(from, to - from));
    parts.push_back(line.substr(from));
    return parts;
}

// Every measure in a process of its own, one after another; what each prints is passed on, its
// figures are collected for the table.
int runAll(const std::string& self) {
    std::vector<Figure> figures;
    int status = 0;
    for (const Entry& e : entries()) {
        std::printf("== %s\n", e.name);
        std::fflush(stdout);
        const std::string command =
            "\"" + self + "\" " + std::string(SummaryFlag) + " " + e.name + " 2>&1";
#ifdef _WIN32
        std::FILE* out = _popen(command.c_str(), "r");
#else
        std::FILE* out = popen(command.c_str(), "r");
#endif
        if (out == nullptr) {
            std::printf("%s: cannot start\n", e.name);
            status = 1;
            continue;
        }
        std::string line;
        for (int c; (c = std::fgetc(out)) != EOF;) {
            if (c != '\n') {
                line += static_cast<char>(c);
                continue;
            }
            const std::vector<std::string> p = split(line, '\t');
            if (line.rfind(FigureTag, 0) == 0 && p.size() == 6) {
                figures.push_back({p[1], std::atof(p[2].c_str()), p[3], std::atof(p[4].c_str()),
                                   std::atof(p[5].c_str())});
            } else {
                std::printf("%s\n", line.c_str());
            }
            line.clear();
        }
#ifdef _WIN32
        const int result = _pclose(out);
#else
        const int result = pclose(out);
#endif
        if (result != 0) {
            std::printf("%s: failed\n", e.name);
            status = 1;
        }
        std::fflush(stdout);
    }
    printTable(figures);
    return status;
}

}  // namespace

namespace blx52::bench {

void Run::add(const Figure& f) const {
    if (summary) {
        std::printf("%s%s\t%.3f\t%s\t%.3f\t%.3f\n", FigureTag.data(), f.measure.c_str(), f.oursMs,
                    f.against.c_str(), f.limitMs, f.goal);
        std::fflush(stdout);
    }
}

std::optional<int> intArgument(const std::string& text, int low, int high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace blx52::bench

int main(int argc, char** argv) {
    Run run;
    run.self = argv[0];
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == SummaryFlag) {
        run.summary = true;
        ++first;
    }
    if (argc <= first)
        return usage(stderr, 2);
    const std::string_view command = argv[first];
    if (command == "--help" || command == "-h")
        return usage(stdout, 0);
    if (command == "--version") {
        std::printf("blx52-bench %s\n", BLX52_VERSION);
        return 0;
    }
    for (int i = first + 1; i < argc; ++i)
        run.args.emplace_back(argv[i]);

    if (command == "all")
        return run.args.empty() && !run.summary ? runAll(run.self) : usage(stderr, 2);
    for (const Entry& e : entries()) {
        if (command == e.name) {
            const int status = e.measure(run);
            return status == 2 ? usage(stderr, 2) : status;
        }
    }
    std::fprintf(stderr, "blx52-bench: no measure \"%s\" in this build (see blx52-bench --help)\n",
                 argv[first]);
    return 2;
}
