// A cap on the memory of this test process: operator new counts the bytes in
// use and throws std::bad_alloc beyond the cap, so that a reader that allocates
// for a count it should have refused fails the test instead of taking the
// machine's memory. Qt's containers and std::vector allocate through it.
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kCap = std::size_t(2) << 30;
std::atomic<std::size_t> inUse{0};

void *allocate(std::size_t size)
{
    void *p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    const std::size_t taken = malloc_usable_size(p);
    if (inUse.fetch_add(taken) + taken > kCap) {
        inUse.fetch_sub(taken);
        std::free(p);
        throw std::bad_alloc();
    }
    return p;
}

void *allocateOrNull(std::size_t size) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void release(void *p) noexcept
{
    if (!p)
        return;
    inUse.fetch_sub(malloc_usable_size(p));
    std::free(p);
}

} // namespace

void *operator new(std::size_t size) { return allocate(size); }
void *operator new[](std::size_t size) { return allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return allocateOrNull(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return allocateOrNull(size); }
void operator delete(void *p) noexcept { release(p); }
void operator delete[](void *p) noexcept { release(p); }
void operator delete(void *p, std::size_t) noexcept { release(p); }
void operator delete[](void *p, std::size_t) noexcept { release(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { release(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { release(p); }
