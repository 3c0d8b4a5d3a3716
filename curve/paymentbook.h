#pragma once

// The payments of every bond the curve values, read off the records' own
// walk (model/paymentwalk.h), so that each is the amount at the time the
// valuation takes it, and laid out so that the fit can value a million bonds
// many times over at the cost of their distinct payment times.
//
// A time is a node. Two Type I bonds of one pay period whose first coupons
// fall at the same time have every coupon at the same times after it (the
// walk steps by the period), so their coupons share one chain of nodes, and a
// bond's coupons are the first n nodes of its chain. Each bond is then a few
// features, each an amount times a sum of discounts: the coupon times the sum
// over its chain's first n nodes, the face value times its node's, a Type II
// payment times its node's. With the nodes of a chain side by side and the
// discounts summed along each chain once, every feature is one value looked up.

#include "curve/flatindex.h"
#include "model/bond.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tenvix::curve {

// One payment as the walk gives it.
struct Payment {
    double years;
    double amount;
};

// Appends the payments of a record dated and prepared (as AnalyseRecord
// leaves it) to `out`, in the walk's order; returns how many of them are a
// Type I bond's coupons, which come first.
std::size_t AppendPayments(const CBond& bond, std::vector<Payment>& out);

class PaymentBook {
public:
    // The most distinct payment times a book holds. Real bonds of up to a
    // hundred years need a few hundred thousand whatever their number; a
    // file of bonds paying every month for thousands of years, each starting
    // its own chain, would need memory without bound.
    static constexpr std::size_t kMostNodes = 1'000'000;

    // Adds a bond's payments as AppendPayments gives them, the first
    // `coupons` of them coupons every `periodMonths`; bonds are numbered from
    // 0 in the order they are added.
    std::uint32_t Add(std::span<const Payment> payments, std::size_t coupons, std::int32_t periodMonths);
    // Lays the nodes out; nothing can be added after.
    void Finish();
    // More times were asked for than kMostNodes: the bonds that would have
    // passed it were added without payments, and nothing can be valued.
    bool Overflowed() const { return m_overflowed; }

    std::size_t Bonds() const { return m_bondFirst.size() - 1; }
    std::size_t Nodes() const { return m_times.size(); }
    std::span<const double> Times() const { return m_times; }
    // The first node of the chain node n belongs to (n itself for a node of its own).
    std::span<const std::uint32_t> ChainStarts() const { return m_chainStart; }

    // A bond's features: the amount, and the node whose running sum along its
    // chain is the feature's sum of discounts.
    struct Feature {
        std::uint32_t node;
        float amount;
    };
    std::span<const Feature> FeaturesOf(std::uint32_t bond) const
    {
        return {m_features.data() + m_bondFirst[bond], m_bondFirst[bond + 1] - m_bondFirst[bond]};
    }

    // Sums `value` along each chain: out[n] = value[start(n)] + ... + value[n].
    // `stride` values a node, summed each on its own.
    void RunningSums(std::span<const double> value, std::span<double> out, std::size_t stride) const;

private:
    struct Chain {
        std::vector<double> times;
        std::uint32_t start = 0;
    };
    // Features while adding: a chain's first `count` nodes, or a node of its own.
    static constexpr std::uint64_t kChained = std::uint64_t(1) << 63;
    std::uint32_t OwnNode(double t);

    std::vector<Chain> m_chains;
    FlatIndex m_chainByKey; // pay period and first coupon time's bits
    std::vector<double> m_ownTimes;
    FlatIndex m_ownByBits;
    std::vector<std::uint64_t> m_pending; // one a feature, until Finish
    std::vector<Feature> m_features;
    std::vector<std::uint64_t> m_bondFirst{0};

    std::vector<double> m_times;
    std::vector<std::uint32_t> m_chainStart;
    std::size_t m_nodes = 0; // laid out or not
    bool m_finished = false;
    bool m_overflowed = false;
};

} // namespace tenvix::curve
