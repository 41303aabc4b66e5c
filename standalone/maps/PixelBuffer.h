#pragma once
// Storage of whole images. A 4096 x 2048 environment is 100 MB: zero-filling it on one thread
// before the image reader or the render threads write every pixel anyway costs about as much
// as decoding it, and so do the 25,000 page faults of touching it in 4 KiB pages. A
// PixelBuffer leaves the floats it grows by unset, and on Linux asks for huge pages.

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#include <sys/mman.h>
#define ZENITHRA_PIXELS_BY_MMAP 1
#endif

namespace standalone {

template <class T>
class PixelAllocator {
public:
    using value_type = T;

    PixelAllocator() = default;
    template <class U>
    PixelAllocator(const PixelAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
#if defined(ZENITHRA_PIXELS_BY_MMAP)
        if (n * sizeof(T) >= kMappedBytes) {
            return static_cast<T*>(Map(n * sizeof(T)));
        }
#endif
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept {
#if defined(ZENITHRA_PIXELS_BY_MMAP)
        if (n * sizeof(T) >= kMappedBytes) {
            munmap(p, Rounded(n * sizeof(T)));
            return;
        }
#endif
        ::operator delete(p);
        (void)n;
    }
    // Growing default-initialises: every writer of an image sets each of its pixels.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const PixelAllocator&, const PixelAllocator&) {
        return true;
    }

private:
#if defined(ZENITHRA_PIXELS_BY_MMAP)
    static constexpr size_t kHugePage = size_t(2) << 20;
    static constexpr size_t kMappedBytes = size_t(4) << 20;
    static size_t Rounded(size_t bytes) {
        return (bytes + kHugePage - 1) & ~(kHugePage - 1);
    }
    // A mapping that starts on a huge-page boundary, so that every page of it can be huge.
    static void* Map(size_t bytes) {
        const size_t size = Rounded(bytes);
        void* raw = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) {
            throw std::bad_alloc();
        }
        auto* start = static_cast<char*>(raw);
        auto* aligned = reinterpret_cast<char*>((reinterpret_cast<size_t>(start) + kHugePage - 1) &
                                                ~(kHugePage - 1));
        if (aligned > start) {
            munmap(start, size_t(aligned - start));
        }
        if (size_t tail = size_t(start + size + kHugePage - (aligned + size))) {
            munmap(aligned + size, tail);
        }
        madvise(aligned, size, MADV_HUGEPAGE);  // a hint: without huge pages, plain pages
        return aligned;
    }
#endif
};

/// Floats of an image, three per pixel, row after row.
using PixelBuffer = std::vector<float, PixelAllocator<float>>;

}  // namespace standalone
