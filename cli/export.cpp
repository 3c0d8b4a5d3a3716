// tenvix-cli export: every stored field of every record, as CSV.

#include "cli/commands.h"
#include "cli/common.h"

#include <iostream>

namespace tenvix::cli {

int RunExport(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"export takes one database file"};
    auto list = LoadDatabase(args.Positional()[0]);
    if (!list)
        return kExitFailure;

    // Nine significant digits bring every float32 back exactly.
    auto amount = [](float v) { return Format("%.9g", v); };
    WriteCsvRow(std::cout, {"type", "id", "name", "release", "maturity", "price", "coupon", "period_months", "face",
                            "payments"});
    for (const auto& bond : list->m_list) {
        std::vector<std::string> row{bond->GetType() == BOND_TYPE_STD ? "I" : "II",
                                     bond->m_strID,
                                     bond->m_strName,
                                     IsoDate(bond->m_nRelease),
                                     IsoDate(bond->m_nMaturity),
                                     amount(bond->m_fPrice)};
        if (const auto* coupons = dynamic_cast<const CBondStd*>(bond.get())) {
            row.insert(row.end(), {amount(coupons->m_fCoupon), std::to_string(coupons->m_nPeriodMonths), amount(coupons->m_fFace), ""});
        } else {
            const auto& free = static_cast<const CBondFree&>(*bond);
            std::string payments;
            for (const CASHFLOW& cf : free.m_cashflows) {
                if (!payments.empty())
                    payments += ';';
                payments += amount(cf.m_fAmount) + '@' + IsoDate(cf.m_nDate);
            }
            row.insert(row.end(), {"", "", "", payments});
        }
        WriteCsvRow(std::cout, row);
    }
    return kExitOk;
}

} // namespace tenvix::cli
