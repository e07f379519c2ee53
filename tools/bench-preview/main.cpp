// blx52-bench-preview: runs the preview's measure (tools/bench/preview.cpp) on its own, until
// it joins the other measures in one benchmark program.
#include <QApplication>

#include "tools/bench-common/usage.h"

namespace blx52 {
int measurePreview();
}

int main(int argc, char** argv) {
    constexpr char usage[] =
        "usage: blx52-bench-preview\n"
        "Plays the preview for 60 s and prints its CPU share, the picture changes' lateness,\n"
        "the time from Play to the first sound samples and the GIF export time.\n";
    if (const auto status = blx52::bench::answerArguments(argc, argv, "blx52-bench-preview", usage))
        return *status;
    QApplication app(argc, argv);
    return blx52::measurePreview();
}
