#include "curve/spread.h"

#include <algorithm>
#include <cmath>

namespace tenvix::curve {

CurveValues::CurveValues(const PaymentBook& book, const CurveParams& params) : m_book(book)
{
    const auto times = book.Times();
    m_discounts.resize(times.size());
    m_sums.resize(times.size());
    for (std::size_t n = 0; n < times.size(); ++n)
        m_discounts[n] = Discount(params, times[n]);
    book.RunningSums(m_discounts, m_sums, 1);
}

double CurveValues::ModelPrice(std::uint32_t bond) const
{
    double sum = 0;
    for (const PaymentBook::Feature& f : m_book.FeaturesOf(bond))
        sum += static_cast<double>(f.amount) * m_sums[f.node];
    return sum;
}

namespace {

// The largest move of one step: a spread far off is reached in steps of at
// most 5 %, so that no discount overflows on the way.
constexpr double kLargestStep = 0.05;
constexpr int kSteps = 200;
// Steps this small end the search: a hundred-millionth of a basis point.
constexpr double kClose = 1e-12;

} // namespace

std::optional<double> CurveValues::Spread(std::uint32_t bond, double price) const
{
    const auto times = m_book.Times();
    const auto starts = m_book.ChainStarts();
    const auto features = m_book.FeaturesOf(bond);
    // The price gap at s and its slope.
    auto gap = [&](double s, double& slope) {
        double value = 0;
        slope = 0;
        for (const PaymentBook::Feature& f : features) {
            const double a = f.amount;
            const std::uint32_t first = starts[f.node];
            // Along a chain the times step by the pay period, so the spread's
            // factor steps by one ratio (to the last bits of the times).
            double factor = s == 0 ? 1.0 : std::exp(-s * times[first]);
            const double ratio =
                s == 0 || f.node == first ? 1.0 : std::exp(-s * (times[f.node] - times[first]) / (f.node - first));
            for (std::uint32_t n = first; n <= f.node; ++n, factor *= ratio) {
                const double pv = a * m_discounts[n] * factor;
                value += pv;
                slope -= pv * times[n];
            }
        }
        return value - price;
    };
    // Newton's steps, kept inside the bracket once both ends are known. With
    // payments of one sign the gap falls as the spread rises.
    double s = 0;
    double low = -HUGE_VAL, high = HUGE_VAL;
    for (int step = 0; step < kSteps; ++step) {
        double slope = 0;
        const double g = gap(s, slope);
        if (std::isnan(g))
            return std::nullopt;
        if (g == 0)
            return s;
        (g > 0 ? low : high) = s;
        double next = s - g / slope;
        if (!std::isfinite(next) || !(slope < 0))
            next = g > 0 ? s + kLargestStep : s - kLargestStep;
        next = std::clamp(next, s - kLargestStep, s + kLargestStep);
        if (!(next > low && next < high)) {
            if (std::isfinite(low) && std::isfinite(high))
                next = 0.5 * (low + high);
            else
                next = g > 0 ? s + kLargestStep : s - kLargestStep;
        }
        if (std::fabs(next - s) <= kClose)
            return next;
        s = next;
    }
    return std::nullopt;
}

} // namespace tenvix::curve
