#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kBarWidth = 30;

}  // namespace

void ProgressBar::Show(const std::string& stage, double fraction) {
    if (!enabled) {
        return;
    }
    int percent = int(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == lastPercent && stage == lastStage) {
        return;
    }
    lastPercent = percent;
    lastStage = stage;
    int filled = percent * kBarWidth / 100;
    std::string bar(size_t(filled), '#');
    bar.append(size_t(kBarWidth - filled), '-');
    // Cleared to the end of the line, so that a shorter stage leaves nothing of a longer one.
    std::fprintf(stderr, "\r%-24s [%s] %3d%%\033[K", stage.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
    drawn = true;
}

void ProgressBar::Finish() {
    if (drawn) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        drawn = false;
    }
    lastPercent = -1;
}
