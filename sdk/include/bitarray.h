#pragma once
// A resizable array of bits.

#include "coreexp.h"

#include <cstddef>
#include <vector>

class BitArray {
public:
    BitArray() = default;
    explicit BitArray(int n) { SetSize(n); }
    int GetSize() const { return int(bits.size()); }
    void SetSize(int n, int save = 0) {
        if (!save) {
            bits.assign(size_t(n > 0 ? n : 0), false);
        } else {
            bits.resize(size_t(n > 0 ? n : 0), false);
        }
    }
    void Set(int i) { Set(i, 1); }
    void Set(int i, int b) {
        if (i >= 0 && i < GetSize()) {
            bits[size_t(i)] = b != 0;
        }
    }
    void Clear(int i) { Set(i, 0); }
    void ClearAll() { bits.assign(bits.size(), false); }
    int operator[](int i) const { return i >= 0 && i < GetSize() && bits[size_t(i)] ? 1 : 0; }

private:
    std::vector<bool> bits;
};
