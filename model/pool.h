#pragma once

// Storage for the millions of small objects of a loaded database, its records
// and its list nodes: fixed-size blocks carved out of large slabs, so a block
// costs its own size and nothing more (the heap would add a header and round
// up to 16 bytes). Blocks of one size share a pool; a pool gives its slabs
// back to the heap as soon as its last block is freed, so closing a database
// returns its memory. Safe to use from any thread.

#include <cstddef>
#include <new>

namespace tenvix {

// Objects up to this size come from the pools; larger ones from the heap.
inline constexpr std::size_t kMaxPooledSize = 256;

// `size` bytes, aligned to 8 bytes.
void* PooledAllocate(std::size_t size);
// Frees what PooledAllocate gave for the same `size`.
void PooledFree(void* p, std::size_t size) noexcept;

// The heap bytes the pools hold, used and free, slab overheads included.
std::size_t PooledBytesHeld();

// An allocator for node-based containers whose nodes are single objects.
template <class T>
struct PoolAllocator {
    using value_type = T;

    PoolAllocator() = default;
    template <class U>
    PoolAllocator(const PoolAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        static_assert(alignof(T) <= 8, "pooled blocks are aligned to 8 bytes");
        if (n == 1)
            return static_cast<T*>(PooledAllocate(sizeof(T)));
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n == 1)
            PooledFree(p, sizeof(T));
        else
            ::operator delete(p);
    }

    friend bool operator==(const PoolAllocator&, const PoolAllocator&) { return true; }
};

} // namespace tenvix
