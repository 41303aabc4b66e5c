#pragma once
// Render threads that are about to enter a map through one of its proxies announce that map, so
// that a map being freed can wait for them without any counter shared between render threads:
// each thread announces in a cache line of its own, and only the map being freed reads them all.

#include <atomic>

class Zenithra;

namespace MapReaders {

struct Slot;

/// This thread's announcement of the map that a proxy's `master` holds, for as long as the
/// object lives. The map is read again after the announcement, so a map taken out of `master`
/// in between is never given. Evaluations nested in one another (a map whose source is a proxy)
/// each announce in turn; past a depth that only a loop of maps and proxies reaches, no map is
/// given, so that such a loop ends instead of overflowing the stack.
class Announcement {
public:
    explicit Announcement(const std::atomic<Zenithra*>& master);
    ~Announcement();
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

    /// The master to evaluate; null when there is none or the nesting is too deep.
    Zenithra* Map() const { return map; }
    bool TooDeep() const { return tooDeep; }

private:
    Slot& slot;
    Zenithra* map = nullptr;
    Zenithra* outer = nullptr;
    bool tooDeep = false;
};

/// Returns once no thread announces `map`. Call it after `map` has been taken out of every
/// proxy: announcements made from then on find another master, so the wait is short.
void WaitUntilUnannounced(const Zenithra* map);

}  // namespace MapReaders
