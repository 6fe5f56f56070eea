#include "tests/reliability/counting_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::ptrdiff_t> live{0};
std::atomic<std::size_t> nothrowCalls{0};
std::atomic<std::size_t> failingCall{0};

void* obtain(std::size_t size, std::align_val_t alignment) {
    const auto a = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + a - 1) / a * a;
    void* block = std::aligned_alloc(a, rounded == 0 ? a : rounded);
    if (block != nullptr) ++live;
    return block;
}

void release(void* block) {
    if (block == nullptr) return;
    --live;
    std::free(block);
}

}  // namespace

namespace lintra::testing {

std::ptrdiff_t liveAlignedBlocks() {
    return live.load();
}
std::size_t alignedNothrowCalls() {
    return nothrowCalls.load();
}
void failAlignedNothrowCall(std::size_t call) {
    failingCall = call == 0 ? 0 : nothrowCalls.load() + call;
}

}  // namespace lintra::testing

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    const std::size_t call = ++nothrowCalls;
    if (call == failingCall.load()) return nullptr;
    return obtain(size, alignment);
}

void* operator new(std::size_t size, std::align_val_t alignment) {
    void* block = obtain(size, alignment);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void operator delete(void* block, std::align_val_t) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    release(block);
}
