#pragma once
// The map's cached copy of its slots' exposures. Render threads read it while the
// user-interface thread edits it, so it never reallocates: its capacity is the 16 slots a map
// can have, and every entry and the size are atomics.

#include "core/ZenithraIds.h"

#include <algorithm>
#include <atomic>
#include <vector>

class ExposureCache {
public:
    int size() const { return count.load(std::memory_order_acquire); }
    bool empty() const { return size() == 0; }
    /// Entry i in EV; i must be below size().
    float operator[](int i) const { return values[i].load(std::memory_order_relaxed); }
    void Set(int i, float ev) {
        if (i >= 0 && i < size()) {
            values[i].store(ev, std::memory_order_relaxed);
        }
    }
    /// Grows with zeros or truncates; sizes beyond 16 are held at 16.
    void Resize(int n) {
        n = std::clamp(n, 0, kMaxSlots);
        for (int i = size(); i < n; ++i) {
            values[i].store(0.0f, std::memory_order_relaxed);
        }
        count.store(n, std::memory_order_release);
    }
    void Assign(const std::vector<float>& v) {
        int n = std::min<int>(int(v.size()), kMaxSlots);
        for (int i = 0; i < n; ++i) {
            values[i].store(v[size_t(i)], std::memory_order_relaxed);
        }
        count.store(n, std::memory_order_release);
    }
    /// Removes entry i; later entries move down by one.
    void Erase(int i) {
        int n = size();
        if (i < 0 || i >= n) {
            return;
        }
        for (int j = i; j + 1 < n; ++j) {
            values[j].store(values[j + 1].load(std::memory_order_relaxed),
                            std::memory_order_relaxed);
        }
        count.store(n - 1, std::memory_order_release);
    }
    void Clear() { count.store(0, std::memory_order_release); }
    std::vector<float> ToVector() const {
        std::vector<float> v(static_cast<size_t>(size()));
        for (int i = 0; i < int(v.size()); ++i) {
            v[size_t(i)] = (*this)[i];
        }
        return v;
    }

private:
    std::atomic<float> values[kMaxSlots] = {};
    std::atomic<int> count{0};
};
