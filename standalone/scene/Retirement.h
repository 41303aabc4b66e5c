#pragma once
// Freeing what render threads may still be reading. Host objects publish what render threads
// read (animation tracks, loaded images, a map's placement) as new immutable objects behind
// atomic pointers. A render thread reads them inside a ReadSection; the writer hands the object
// it replaced to its RetiredList, which frees it once every section that could have found it
// has closed. Readers never lock and never write memory that another thread writes: each
// announces itself in a cache line of its own.

#include "scene/ZenhostApi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standalone {

/// While it lives, what the calling thread loads from a published pointer stays allocated.
/// Sections nest; only the outermost announces the thread (a store and a fence).
class ZENHOST_API ReadSection {
public:
    ReadSection() noexcept;
    ~ReadSection();
    ReadSection(const ReadSection&) = delete;
    ReadSection& operator=(const ReadSection&) = delete;
};

/// The objects one writer has replaced and not yet freed. Calls are serialised by the owner
/// (its write lock or its one thread). Destroying the list frees everything still in it: the
/// owner dies only when no reader can reach it any more.
class ZENHOST_API RetiredList {
public:
    RetiredList() = default;
    ~RetiredList();
    RetiredList(const RetiredList&) = delete;
    RetiredList& operator=(const RetiredList&) = delete;

    /// Takes an object that new readers can no longer find (its replacement already published)
    /// and frees whatever no open section can still read. Null is ignored.
    template <typename T>
    void Retire(const T* old) {
        if (old) {
            Add(const_cast<T*>(old), [](void* p) { delete static_cast<T*>(p); });
        }
    }
    /// Frees what no open section can still read; how many objects wait afterwards.
    size_t Reclaim();

private:
    struct Item {
        void* object;
        void (*free)(void*);
        uint64_t epoch;  // readers that announced this epoch or an earlier one may hold it
    };
    void Add(void* object, void (*free)(void*));
    std::vector<Item> items;
};

}  // namespace standalone
