#include "model/pool.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace tenvix {
namespace {

constexpr std::size_t kGrain = 8;
// Large enough that the heap's own header per slab is lost in the noise,
// small enough to stay below the size at which the heap maps pages of its own.
constexpr std::size_t kSlabBytes = 64 * 1024;

class BlockPool {
public:
    void* Allocate(std::size_t blockSize)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_pFree)
            AddSlab(blockSize);
        FreeBlock* block = m_pFree;
        m_pFree = block->next;
        ++m_nLive;
        return block;
    }

    void Free(void* p) noexcept
    {
        const std::lock_guard lock(m_mutex);
        auto* block = static_cast<FreeBlock*>(p);
        block->next = m_pFree;
        m_pFree = block;
        if (--m_nLive == 0)
            ReleaseSlabs();
    }

    std::size_t BytesHeld()
    {
        const std::lock_guard lock(m_mutex);
        return m_nSlabs * kSlabBytes;
    }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    struct Slab {
        Slab* next;
    };
    // The blocks start after the slab's link, at the first multiple of 16.
    static constexpr std::size_t kHeader = 16;

    void AddSlab(std::size_t blockSize)
    {
        auto* slab = static_cast<Slab*>(::operator new(kSlabBytes));
        slab->next = m_pSlabs;
        m_pSlabs = slab;
        ++m_nSlabs;
        auto* bytes = reinterpret_cast<std::byte*>(slab);
        // Threaded back to front, so blocks are handed out in address order.
        for (std::size_t at = kHeader + (kSlabBytes - kHeader) / blockSize * blockSize; at > kHeader;) {
            at -= blockSize;
            auto* block = reinterpret_cast<FreeBlock*>(bytes + at);
            block->next = m_pFree;
            m_pFree = block;
        }
    }

    void ReleaseSlabs() noexcept
    {
        while (m_pSlabs) {
            Slab* next = m_pSlabs->next;
            ::operator delete(m_pSlabs);
            m_pSlabs = next;
        }
        m_pFree = nullptr;
        m_nSlabs = 0;
    }

    std::mutex m_mutex;
    FreeBlock* m_pFree = nullptr;
    Slab* m_pSlabs = nullptr;
    std::size_t m_nSlabs = 0;
    std::size_t m_nLive = 0;
};

using Pools = std::array<BlockPool, kMaxPooledSize / kGrain>;

// Never destroyed: objects with static storage may free their blocks at any
// point of the program's exit.
Pools& AllPools()
{
    static Pools* const pools = new Pools();
    return *pools;
}

std::size_t BlockSize(std::size_t size) { return (size + kGrain - 1) / kGrain * kGrain; }

} // namespace

void* PooledAllocate(std::size_t size)
{
    if (size == 0 || size > kMaxPooledSize)
        return ::operator new(size);
    const std::size_t block = BlockSize(size);
    return AllPools()[block / kGrain - 1].Allocate(block);
}

void PooledFree(void* p, std::size_t size) noexcept
{
    if (!p)
        return;
    if (size == 0 || size > kMaxPooledSize) {
        ::operator delete(p);
        return;
    }
    AllPools()[BlockSize(size) / kGrain - 1].Free(p);
}

std::size_t PooledBytesHeld()
{
    std::size_t total = 0;
    for (BlockPool& pool : AllPools())
        total += pool.BytesHeld();
    return total;
}

} // namespace tenvix
