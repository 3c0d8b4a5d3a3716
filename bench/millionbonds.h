#pragma once

// The database of a million bonds that the window-side benchmarks share.
// Identifiers in mixed case from a few dozen prefixes, so that sorts and
// lookups meet long common stems; names with an accented first letter on
// every tenth bond, so that the seek by name also takes its slow path; about
// four bonds in five still alive on the stand day.

#include "model/bondlist.h"

#include <random>
#include <string>

namespace tenvix::bench {

inline constexpr int kBonds = 1'000'000;
inline constexpr std::int32_t kStandDay = 46000;

inline CBondList& MillionBonds()
{
    static CBondList list = [] {
        CBondList bonds;
        std::mt19937 rng(2024);
        const char alnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        const char* const prefixes[] = {"XS", "DE000", "us912", "FR00", "GB00B", "CH0", "AT0000A", "NL00"};
        const char* const issuers[] = {"Government", "Treasury", "Utility", "Industrial", "Municipal",
                                       "Bank",       "Railway",  "Energy",  "Telecom",    "Insurance"};
        std::uniform_int_distribution<int> pick(0, 61);
        for (int k = 0; k < kBonds; ++k) {
            auto bond = std::make_unique<CBondStd>(0);
            std::string id = prefixes[k % 8];
            while (id.size() < 12)
                id += alnum[pick(rng)];
            bond->m_strID = std::move(id);
            bond->m_strName = (k % 10 == 3 ? std::string("Émetteur ") : std::string(issuers[k % 10]) + " ") +
                              std::to_string(k % 97) + "." + std::to_string(k % 100) + "% " +
                              std::to_string(2000 + k % 60);
            bond->m_fPrice = 90.0f + static_cast<float>(k % 200) / 10.0f;
            bond->m_nMaturity = kStandDay - 20000 + static_cast<std::int32_t>((k * 7919LL) % 100000);
            bonds.m_list.push_back(std::move(bond));
        }
        return bonds;
    }();
    return list;
}

} // namespace tenvix::bench
