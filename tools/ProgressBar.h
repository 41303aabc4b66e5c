#pragma once
// A one-line progress bar on stderr, redrawn in place; for terminals only.

#include <string>

class ProgressBar {
public:
    /// A disabled bar draws nothing.
    explicit ProgressBar(bool enabled) : enabled(enabled) {}
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// Shows the stage and the fraction done (0 to 1); redraws only when either changed visibly.
    void Show(const std::string& stage, double fraction);
    /// Clears the line, so that what is printed next starts on a clean one.
    void Finish();

private:
    bool enabled;
    bool drawn = false;
    std::string lastStage;
    int lastPercent = -1;
};
