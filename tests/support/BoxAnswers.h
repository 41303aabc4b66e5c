#pragma once
// Answers the lighting history's message boxes while a test runs: natively through the
// platform's answerer, on Win64 by clicking the real box from a thread timer.

#include <string>
#include <vector>

namespace testsupport {

/// While it lives, every "HDR Lighting History" box is answered with `button` (an ID* value;
/// OK where the box has no such button) and its text recorded in `texts`. Not to be nested.
class ScopedBoxAnswer {
public:
    explicit ScopedBoxAnswer(int button);
    ~ScopedBoxAnswer();
    ScopedBoxAnswer(const ScopedBoxAnswer&) = delete;
    ScopedBoxAnswer& operator=(const ScopedBoxAnswer&) = delete;

    int button;
    std::vector<std::wstring> texts;
};

}  // namespace testsupport
