#pragma once

// Keys of two 64-bit words numbered 0, 1, 2, ... in the order they are first
// seen: an open-addressing table, for the payment book's millions of lookups
// among a few ten thousand keys, where a node-based map spends its time on
// cache misses.

#include <cstdint>
#include <vector>

namespace tenvix::curve {

class FlatIndex {
public:
    // The number of the key; a new key gets the next number, and `added` says so.
    std::uint32_t Find(std::uint64_t a, std::uint64_t b, bool& added)
    {
        if (2 * (m_size + 1) > m_slots.size())
            Grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = Hash(a, b) & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (!s.used) {
                s = {a, b, static_cast<std::uint32_t>(m_size++), true};
                added = true;
                return s.value;
            }
            if (s.a == a && s.b == b) {
                added = false;
                return s.value;
            }
        }
    }
    std::size_t Size() const { return m_size; }

private:
    struct Slot {
        std::uint64_t a = 0, b = 0;
        std::uint32_t value = 0;
        bool used = false;
    };

    static std::uint64_t Mix(std::uint64_t x)
    {
        x += 0x9E3779B97F4A7C15ull;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        return x ^ (x >> 31);
    }
    static std::size_t Hash(std::uint64_t a, std::uint64_t b) { return static_cast<std::size_t>(Mix(a ^ Mix(b))); }

    void Grow()
    {
        std::vector<Slot> old(m_slots.empty() ? 64 : 2 * m_slots.size());
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& s : old)
            if (s.used)
                for (std::size_t i = Hash(s.a, s.b) & mask;; i = (i + 1) & mask)
                    if (!m_slots[i].used) {
                        m_slots[i] = s;
                        break;
                    }
    }

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};

} // namespace tenvix::curve
