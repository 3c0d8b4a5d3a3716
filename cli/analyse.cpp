// tenvix-cli analyse: the figures of every bond of a database, as the record
// form would show them, one CSV row a bond.

#include "cli/commands.h"
#include "cli/common.h"

#include "model/date.h"
#include "model/solver.h"

#include <iostream>

namespace tenvix::cli {

int RunAnalyse(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"analyse takes one database file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    auto list = LoadDatabase(args.Positional()[0]);
    if (!list)
        return kExitFailure;

    const std::string years = Format("%.8f", YearFraction(horizon, stand));
    WriteCsvRow(std::cout, {"id", "name", "type", "status", "code", "ytm", "duration", "square_m", "horizon_years"});
    for (const auto& bond : list->m_list) {
        bond->SetDates(stand, horizon);
        bond->Prepare();
        const int code = bond->Validate();
        std::string status = "incompatible", ytm, duration, squareM, ih;
        if (code == BOND_OK || code == BOND_STAND_AFTER_HORIZON) {
            try {
                const double y = bond->GetYTM();
                double d = 0, m2 = 0;
                bond->GetDurationM2(y, bond->m_fPrice, d, m2);
                status = "ok";
                ytm = Format("%.8f", y);
                duration = Format("%.8f", d);
                squareM = Format("%.8f", m2);
                ih = years;
            } catch (const CUserException&) {
                status = "bad_ytm";
            }
        }
        WriteCsvRow(std::cout, {bond->m_strID, bond->m_strName, bond->GetType() == BOND_TYPE_STD ? "I" : "II", status,
                                std::to_string(code), ytm, duration, squareM, ih});
    }
    return kExitOk;
}

} // namespace tenvix::cli
