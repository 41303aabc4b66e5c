#pragma once
// Allocation failure on demand: the test programs replace the global operator new, so that one
// chosen allocation throws std::bad_alloc, as an exhausted heap would. Only the calling thread's
// allocations are counted.

#include <functional>

namespace testsupport {

/// Runs `entry` with its first allocation refused, then with its second, and so on, until a run
/// needs fewer allocations than the one refused (at most `limit` runs). `prepare` comes before
/// each run and `check` after each refused one, both with every allocation granted. An exception
/// that leaves `entry` fails the test. Returns the number of refused runs.
int RefuseEachAllocation(const std::function<void()>& prepare, const std::function<void()>& entry,
                         const std::function<void()>& check, long limit = 4000);

}  // namespace testsupport
