#pragma once

// Bonds, dates and clocks shared by the core tests.

#include "model/bond.h"
#include "model/bondfile.h"
#include "model/bondlist.h"
#include "model/date.h"
#include "model/format.h"
#include "model/solver.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tenvix::test {

inline double Day(int y, int m, int d) { return *MakeDate(y, m, d); }
inline double Day(const std::string& iso) { return *ParseIsoDate(iso); }
inline const DateParser kIso = [](std::string_view s) { return ParseIsoDate(s); };

inline std::span<const std::byte> Span(std::string_view bytes)
{
    return std::as_bytes(std::span(bytes.data(), bytes.size()));
}
inline bool Load(std::string_view bytes, CBondList& list) { return LoadBondDatabase(Span(bytes), list); }

// Bytes written as numbers, for files made by hand.
inline std::string Bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

// The bundled sample database, as committed.
inline std::string SampleFile()
{
    std::ifstream in(TENVIX_SOURCE_DIR "/examples/sample.bnd", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::unique_ptr<CBondStd> StdBond(std::string id, int period, float coupon, float face, float price,
                                         double release, double maturity)
{
    auto b = std::make_unique<CBondStd>(0);
    b->SetData(period, coupon, face, price, release, maturity, id, id + " name");
    return b;
}

// A Type I record of which only the identifier, price and maturity are set,
// added at the end of `list`.
inline CBond& AddRecord(CBondList& list, std::string id, float price = 0, std::int32_t maturity = 0)
{
    CBond& b = *list.m_list.emplace_back(std::make_unique<CBondStd>(0));
    b.m_strID = std::move(id);
    b.m_fPrice = price;
    b.m_nMaturity = maturity;
    return b;
}

// A bond of given payments (date value, amount), released in 1990 unless said.
inline std::unique_ptr<CBondFree> FreeBond(std::string id, float price, std::vector<std::pair<double, float>> payments,
                                           double release = Day(1990, 1, 1))
{
    auto b = std::make_unique<CBondFree>(0);
    b->m_strID = id;
    b->m_strName = id + " name";
    b->m_fPrice = price;
    b->m_nRelease = DaySerial(release);
    b->m_nMaturity = 0;
    for (const auto& [date, amount] : payments) {
        b->m_cashflows.push_back({DaySerial(date), amount});
        b->m_nMaturity = std::max(b->m_nMaturity, DaySerial(date));
    }
    return b;
}

// A copy of either kind of bond.
inline std::unique_ptr<CBond> CopyOf(const CBond& bond)
{
    if (const auto* free = dynamic_cast<const CBondFree*>(&bond))
        return std::make_unique<CBondFree>(*free);
    return std::make_unique<CBondStd>(dynamic_cast<const CBondStd&>(bond));
}

// A bond whose gap is whatever the test says (none: every trial is refused),
// counting its evaluations.
class ScriptedBond final : public CBond {
public:
    explicit ScriptedBond(std::function<double(double)> gapOf = {}, int codeOf = BOND_OK)
        : CBond(BOND_TYPE_FREE, 0), gap(std::move(gapOf)), code(codeOf)
    {
    }
    double PriceGap(double y) const override
    {
        ++calls;
        if (!gap)
            throw NoYieldFound();
        return gap(y);
    }
    int Validate() const override { return code; }

    std::function<double(double)> gap;
    int code;
    mutable int calls = 0;
};

// A clock that reads ms(n) at its n-th look, counting from 0.
class ScriptedClock final : public Clock {
public:
    explicit ScriptedClock(std::function<std::int64_t(int)> ms) : m_ms(std::move(ms)) {}
    std::int64_t Milliseconds() const override { return m_ms(reads++); }
    double Now() const override { return 0; }
    mutable int reads = 0;

private:
    std::function<std::int64_t(int)> m_ms;
};

} // namespace tenvix::test
