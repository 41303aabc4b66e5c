// The replaced global allocation functions: plain malloc and free, with a countdown that makes
// one chosen allocation of the test's thread fail.

#include "support/FailingAllocator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

thread_local long countdown = -1;  // allocations left before the refused one; -1: none refused
thread_local bool refused = false;

void* Allocate(std::size_t size) {
    if (countdown >= 0 && countdown-- == 0) {
        refused = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace testsupport {

int RefuseEachAllocation(const std::function<void()>& prepare, const std::function<void()>& entry,
                         const std::function<void()>& check, long limit) {
    int runs = 0;
    for (long failAt = 0; failAt < limit; ++failAt) {
        SCOPED_TRACE("allocation " + std::to_string(failAt) + " refused");
        prepare();
        bool escaped = false;
        refused = false;
        countdown = failAt;  // allocations left before the refused one
        try {
            entry();
        } catch (...) {
            escaped = true;
        }
        countdown = -1;
        EXPECT_FALSE(escaped) << "an exception left the entry";
        if (!refused) {
            break;
        }
        ++runs;
        check();
    }
    return runs;
}

}  // namespace testsupport
