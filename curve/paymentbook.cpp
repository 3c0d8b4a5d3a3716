#include "curve/paymentbook.h"

#include "model/paymentwalk.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace tenvix::curve {

std::size_t AppendPayments(const CBond& bond, std::vector<Payment>& out)
{
    std::size_t couponCount = 0;
    // At a yield of 0 every discount is 1 and the walk does no real powers:
    // only the times and amounts are wanted.
    double duration = 0, m2 = 0;
    auto keep = [&](const PaymentStep& step) {
        out.push_back({step.years, step.amount});
        if (!step.face && bond.GetType() == BOND_TYPE_STD)
            ++couponCount;
    };
    if (bond.GetType() == BOND_TYPE_STD)
        static_cast<const CBondStd&>(bond).WalkPayments(0.0, 1.0, duration, m2, keep);
    else
        static_cast<const CBondFree&>(bond).WalkPayments(0.0, 1.0, duration, m2, keep);
    return couponCount;
}

std::uint32_t PaymentBook::OwnNode(double t)
{
    bool added = false;
    const std::uint32_t node = m_ownByBits.Find(std::bit_cast<std::uint64_t>(t), 0, added);
    if (added) {
        m_ownTimes.push_back(t);
        ++m_nodes;
    }
    return node;
}

std::uint32_t PaymentBook::Add(std::span<const Payment> payments, std::size_t coupons, std::int32_t periodMonths)
{
    if (m_finished || m_bondFirst.size() > 0xFFFFFFFFu)
        throw std::logic_error("PaymentBook::Add after Finish");
    coupons = std::min(coupons, payments.size());
    const auto bondNumber = static_cast<std::uint32_t>(m_bondFirst.size() - 1);
    // Every payment a time of its own at worst: past the limit the bond
    // comes in without payments, and the book is marked.
    if (m_overflowed || m_nodes + payments.size() > kMostNodes) {
        m_overflowed = true;
        m_bondFirst.push_back(m_features.size());
        return bondNumber;
    }
    std::size_t k = 0;
    if (coupons > 0) {
        bool added = false;
        const std::uint32_t chainNumber = m_chainByKey.Find(static_cast<std::uint64_t>(periodMonths),
                                                            std::bit_cast<std::uint64_t>(payments[0].years), added);
        if (added)
            m_chains.emplace_back();
        Chain& chain = m_chains[chainNumber];
        // The walk steps the same way from the same first time, so the
        // times agree bit for bit; a bond whose times did not would keep its
        // coupons as nodes of their own rather than be valued at others'.
        bool agrees = true;
        for (std::size_t i = 0; i < coupons && i < chain.times.size(); ++i)
            agrees = agrees && std::bit_cast<std::uint64_t>(chain.times[i]) ==
                                   std::bit_cast<std::uint64_t>(payments[i].years);
        if (agrees) {
            for (std::size_t i = chain.times.size(); i < coupons; ++i) {
                chain.times.push_back(payments[i].years);
                ++m_nodes;
            }
            m_pending.push_back(kChained | (std::uint64_t(chainNumber) << 32) | coupons);
            m_features.push_back({0, static_cast<float>(payments[0].amount)});
            k = coupons;
        }
    }
    for (; k < payments.size(); ++k) {
        m_pending.push_back(OwnNode(payments[k].years));
        m_features.push_back({0, static_cast<float>(payments[k].amount)});
    }
    m_bondFirst.push_back(m_features.size());
    return bondNumber;
}

void PaymentBook::Finish()
{
    std::size_t total = m_ownTimes.size();
    for (Chain& c : m_chains) {
        c.start = static_cast<std::uint32_t>(total);
        total += c.times.size();
    }
    if (total >= 0xFFFFFFFFu)
        throw std::length_error("too many payment times");
    m_times.reserve(total);
    m_chainStart.reserve(total);
    for (std::size_t n = 0; n < m_ownTimes.size(); ++n) {
        m_times.push_back(m_ownTimes[n]);
        m_chainStart.push_back(static_cast<std::uint32_t>(n));
    }
    for (const Chain& c : m_chains) {
        m_times.insert(m_times.end(), c.times.begin(), c.times.end());
        m_chainStart.insert(m_chainStart.end(), c.times.size(), c.start);
    }
    for (std::size_t f = 0; f < m_pending.size(); ++f) {
        const std::uint64_t p = m_pending[f];
        if (p & kChained) {
            const auto chain = static_cast<std::uint32_t>((p & ~kChained) >> 32);
            const auto count = static_cast<std::uint32_t>(p);
            m_features[f].node = m_chains[chain].start + count - 1;
        } else {
            m_features[f].node = static_cast<std::uint32_t>(p);
        }
    }
    m_finished = true;
    m_pending = {};
    m_chains = {};
    m_chainByKey = {};
    m_ownTimes = {};
    m_ownByBits = {};
}

namespace {

template <std::size_t Stride>
void SumAlong(std::span<const std::uint32_t> starts, const double* value, double* out)
{
    for (std::size_t n = 0; n < starts.size(); ++n, value += Stride, out += Stride) {
        if (starts[n] == n)
            for (std::size_t j = 0; j < Stride; ++j)
                out[j] = value[j];
        else
            for (std::size_t j = 0; j < Stride; ++j)
                out[j] = (out - Stride)[j] + value[j];
    }
}

} // namespace

void PaymentBook::RunningSums(std::span<const double> value, std::span<double> out, std::size_t stride) const
{
    switch (stride) {
    case 1:
        return SumAlong<1>(m_chainStart, value.data(), out.data());
    case 3:
        return SumAlong<3>(m_chainStart, value.data(), out.data());
    case 5:
        return SumAlong<5>(m_chainStart, value.data(), out.data());
    case 7:
        return SumAlong<7>(m_chainStart, value.data(), out.data());
    default:
        break;
    }
    const std::size_t nodes = m_times.size();
    for (std::size_t n = 0; n < nodes; ++n) {
        const double* v = value.data() + n * stride;
        double* o = out.data() + n * stride;
        const double* previous = m_chainStart[n] == n ? nullptr : o - stride;
        for (std::size_t j = 0; j < stride; ++j)
            o[j] = (previous ? previous[j] : 0.0) + v[j];
    }
}

} // namespace tenvix::curve
