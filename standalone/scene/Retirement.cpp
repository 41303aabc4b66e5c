// Epoch-based freeing. A process-wide epoch moves on with every retirement; an object retired
// at epoch e was unpublished before the epoch moved past e, so a reader that announced a later
// epoch loaded its replacement. The object is freed once every open section announces an epoch
// after e. Each thread announces itself in a slot of its own; slots are never freed, and a slot
// whose thread has ended is taken by the next new thread.
//
// The reader's announcement and the writer's scan of the slots are ordered by a fence on each
// side (platform::LightFence and HeavyFence): either the scan sees the announcement, or the
// reader's next load sees the replacement.

#include "scene/Retirement.h"

#include "platform/Platform.h"

#include <atomic>
#include <limits>

namespace standalone {

namespace {

struct alignas(64) ReaderSlot {
    std::atomic<uint64_t> epoch{0};  // 0: outside every section
    std::atomic<bool> taken{false};
    int depth = 0;  // the owning thread's nesting
    ReaderSlot* next = nullptr;
};

std::atomic<uint64_t> currentEpoch{1};
std::atomic<ReaderSlot*> slotList{nullptr};

ReaderSlot* TakeSlot() {
    for (ReaderSlot* s = slotList.load(std::memory_order_acquire); s; s = s->next) {
        bool free = false;
        if (!s->taken.load(std::memory_order_relaxed) &&
            s->taken.compare_exchange_strong(free, true, std::memory_order_acquire)) {
            return s;
        }
    }
    auto* s = new ReaderSlot;
    s->taken.store(true, std::memory_order_relaxed);
    ReaderSlot* head = slotList.load(std::memory_order_relaxed);
    do {
        s->next = head;
    } while (!slotList.compare_exchange_weak(head, s, std::memory_order_release,
                                             std::memory_order_relaxed));
    return s;
}

thread_local ReaderSlot* threadSlot = nullptr;

// Gives the slot back when the thread ends.
struct SlotRelease {
    ~SlotRelease() {
        if (threadSlot) {
            threadSlot->taken.store(false, std::memory_order_release);
            threadSlot = nullptr;
        }
    }
};

ReaderSlot* SlotOfThisThread() {
    if (!threadSlot) {
        thread_local SlotRelease release;
        threadSlot = TakeSlot();
    }
    return threadSlot;
}

}  // namespace

ReadSection::ReadSection() noexcept {
    ReaderSlot* slot = SlotOfThisThread();
    if (slot->depth++ == 0) {
        slot->epoch.store(currentEpoch.load(std::memory_order_acquire), std::memory_order_relaxed);
        platform::LightFence();
    }
}

ReadSection::~ReadSection() {
    ReaderSlot* slot = threadSlot;
    if (--slot->depth == 0) {
        slot->epoch.store(0, std::memory_order_release);
    }
}

RetiredList::~RetiredList() {
    for (Item& item : items) {
        item.free(item.object);
    }
}

void RetiredList::Add(void* object, void (*free)(void*)) {
    // The replacement was published before this (release): a reader that loads the epoch
    // moved on here (acquire) finds the replacement.
    uint64_t epoch = currentEpoch.fetch_add(1, std::memory_order_acq_rel);
    items.push_back({object, free, epoch});
    Reclaim();
}

size_t RetiredList::Reclaim() {
    if (items.empty()) {
        return 0;
    }
    platform::HeavyFence();
    uint64_t oldest = std::numeric_limits<uint64_t>::max();
    for (ReaderSlot* s = slotList.load(std::memory_order_acquire); s; s = s->next) {
        uint64_t epoch = s->epoch.load(std::memory_order_acquire);
        if (epoch != 0 && epoch < oldest) {
            oldest = epoch;
        }
    }
    size_t kept = 0;
    for (Item& item : items) {
        if (item.epoch < oldest) {
            item.free(item.object);
        } else {
            items[kept++] = item;
        }
    }
    items.resize(kept);
    return kept;
}

}  // namespace standalone
