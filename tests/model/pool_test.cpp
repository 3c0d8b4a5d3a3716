// The pools that hold a loaded database's records and list nodes: blocks that
// never overlap, whatever the order of allocation and freeing and however
// many threads share the pools, and memory that goes back once the last
// block of a size is freed.

#include "model/bondlist.h"
#include "model/pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

using namespace tenvix;

namespace {

struct Block {
    unsigned char* p;
    std::size_t size;
    unsigned char mark;
};

// Allocates and frees blocks of mixed sizes in random order, each filled with
// its own mark and checked before it goes: a block handed out twice, or one
// overlapping another, shows as a changed mark.
void Churn(std::uint32_t seed, int rounds)
{
    std::mt19937 rng(seed);
    std::vector<Block> live;
    for (int i = 0; i < rounds; ++i) {
        if (live.empty() || rng() % 3 != 0) {
            const std::size_t size = 1 + rng() % (kMaxPooledSize + 40);
            auto* p = static_cast<unsigned char*>(PooledAllocate(size));
            ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
            const auto mark = static_cast<unsigned char>(rng());
            std::memset(p, mark, size);
            live.push_back({p, size, mark});
        } else {
            const std::size_t k = rng() % live.size();
            const Block b = live[k];
            ASSERT_TRUE(std::all_of(b.p, b.p + b.size, [&](unsigned char c) { return c == b.mark; }));
            PooledFree(b.p, b.size);
            live[k] = live.back();
            live.pop_back();
        }
    }
    for (const Block& b : live) {
        ASSERT_TRUE(std::all_of(b.p, b.p + b.size, [&](unsigned char c) { return c == b.mark; }));
        PooledFree(b.p, b.size);
    }
}

} // namespace

TEST(Pool, BlocksNeverOverlapAndSlabsGoBackWithTheLastBlock)
{
    ASSERT_EQ(PooledBytesHeld(), 0u);
    // Four threads at once: the pools are shared.
    std::vector<std::thread> threads;
    for (std::uint32_t t = 0; t < 4; ++t)
        threads.emplace_back([t] { Churn(100 + t, 50000); });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(PooledBytesHeld(), 0u);
}

TEST(Pool, AListAndItsRecordsLiveInThePools)
{
    {
        CBondList list;
        auto record = [](bool typeI) -> std::unique_ptr<CBond> {
            if (typeI)
                return std::make_unique<CBondStd>(0);
            return std::make_unique<CBondFree>(0);
        };
        for (int i = 0; i < 5000; ++i)
            list.m_list.push_back(record(i % 3));
        const std::size_t held = PooledBytesHeld();
        EXPECT_GE(held, 5000 * (sizeof(CBondStd) + 3 * sizeof(void*)));
        // Apart from the last slab of each size, every slab is full.
        EXPECT_LE(held, 5000 * (sizeof(CBondFree) + 3 * sizeof(void*)) + 3 * 65536);
        // Erasing from the middle and adding again reuses the freed blocks.
        auto it = std::next(list.m_list.begin(), 100);
        std::vector<int> kinds;
        for (int i = 0; i < 1000; ++i) {
            kinds.push_back((*it)->GetType());
            it = list.m_list.erase(it);
        }
        for (int kind : kinds)
            list.m_list.insert(it, record(kind == BOND_TYPE_STD));
        EXPECT_EQ(PooledBytesHeld(), held);
    }
    EXPECT_EQ(PooledBytesHeld(), 0u);
}
