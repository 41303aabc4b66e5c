#include "shading/MapReaders.h"

#include "platform/Platform.h"

namespace MapReaders {

namespace {

// Far more maps than any chain of environments nests; each level costs a few hundred bytes of
// a render thread's stack.
constexpr int kMaxNesting = 32;

}  // namespace

struct alignas(64) Slot {
    std::atomic<Zenithra*> map{nullptr};  // written by its thread only
    int depth = 0;                        // read and written by its thread only
    Slot* next = nullptr;                 // fixed once the slot is in the list
};

namespace {

// Slots are only ever added. A thread keeps its slot for the life of the process: host render
// threads are pooled, and giving a slot back at thread exit would need a thread-exit hook inside
// the plug-in's library, which could run after the library is unloaded.
std::atomic<Slot*> slots{nullptr};

Slot* NewSlot() {
    auto* slot = new Slot;
    Slot* head = slots.load();
    do {
        slot->next = head;
    } while (!slots.compare_exchange_weak(head, slot));
    return slot;
}

Slot& ThisThreadSlot() {
    thread_local Slot* mine = nullptr;
    if (!mine) {
        mine = NewSlot();
    }
    return *mine;
}

}  // namespace

Announcement::Announcement(const std::atomic<Zenithra*>& master) : slot(ThisThreadSlot()) {
    outer = slot.map.load(std::memory_order_relaxed);
    if (slot.depth >= kMaxNesting) {
        tooDeep = true;
        return;
    }
    ++slot.depth;
    Zenithra* m = master.load(std::memory_order_acquire);
    while (m) {
        // Fenced on both sides: either the map being freed sees this announcement, or this
        // thread sees the master it was taken out of.
        slot.map.store(m, std::memory_order_relaxed);
        platform::LightFence();
        Zenithra* again = master.load(std::memory_order_acquire);
        if (again == m) {
            break;
        }
        m = again;
    }
    map = m;
}

Announcement::~Announcement() {
    if (!tooDeep) {
        --slot.depth;
        slot.map.store(outer, std::memory_order_release);
    }
}

void WaitUntilUnannounced(const Zenithra* map) {
    // This thread's own announcement is further up its stack, not in the window (a map freed
    // from within a proxy's forwarding on the same thread): waiting for it would never end.
    const Slot* own = &ThisThreadSlot();
    platform::HeavyFence();  // the masters were taken out before this
    for (Slot* slot = slots.load(); slot; slot = slot->next) {
        while (slot != own && slot->map.load() == map) {
            platform::SleepMilliseconds(0);
        }
    }
}

}  // namespace MapReaders
