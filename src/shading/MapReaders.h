#pragma once
// Render threads that are about to enter a map through one of its proxies announce that map, so
// that a map being freed can wait for them without any counter shared between render threads:
// each thread announces in a cache line of its own, and only the map being freed reads them all.

#include <atomic>

class Zenithra;

namespace MapReaders {

/// Announces for this thread the map that `master` holds and returns it, read again after the
/// announcement, so that a map taken out of `master` in between is never returned. `outer`
/// receives what this thread announced before (an evaluation nested in another); give it back
/// to Withdraw.
Zenithra* Announce(const std::atomic<Zenithra*>& master, Zenithra*& outer);

/// Ends this thread's announcement and restores the outer one.
void Withdraw(Zenithra* outer);

/// Returns once no thread announces `map`. Call it after `map` has been taken out of every
/// proxy: announcements made from then on find another master, so the wait is short.
void WaitUntilUnannounced(const Zenithra* map);

}  // namespace MapReaders
