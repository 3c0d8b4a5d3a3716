// tenvix-cli shifts: what a bond or a portfolio is worth at the horizon under
// parallel shifts of its yield, per 100 of today's market value: the figures
// of the Horizon value chart.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"

#include "model/bondfile.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/horizonvalue.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/core/portfoliomessages.h"

#include <cmath>
#include <iostream>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// A shift beyond this many basis points down would take a yield below -100 %.
constexpr double kFarthestShiftBp = 10000;
constexpr std::size_t kMostShifts = 100000;

double BasisPoints(const Arguments& args, std::string_view name, double fallback)
{
    const auto text = args.Value(name);
    if (!text)
        return fallback;
    const auto v = ReadDecimal(*text);
    if (!v || text->empty() || !(std::fabs(*v) <= kFarthestShiftBp))
        throw UsageError{"--" + std::string(name) + " wants basis points from -10000 to 10000, not \"" + *text + "\""};
    return *v;
}

int Fail(const std::string& message)
{
    if (!message.empty())
        std::cerr << message << "\n";
    return kExitFailure;
}

} // namespace

int RunShifts(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"id", "portfolio", "stand", "horizon", "from", "to", "step"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"shifts takes one database file"};
    const auto id = args.Value("id");
    const auto portfolioPath = args.Value("portfolio");
    if (id.has_value() == portfolioPath.has_value())
        throw UsageError{"shifts wants either --id or --portfolio"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    const double from = BasisPoints(args, "from", -300);
    const double to = BasisPoints(args, "to", 300);
    const double step = BasisPoints(args, "step", 25);
    if (!(step > 0) || from > to)
        throw UsageError{"shifts wants --step above 0 and --from at most --to"};
    if (ShiftCount(from, to, step) > kMostShifts)
        throw UsageError{"shifts writes at most 100000 rows: take a larger --step"};

    CBondList list;
    if (!LoadWholeDatabase(args.Positional()[0], list))
        return kExitFailure;

    std::vector<CBond*> bonds;
    std::vector<double> units;
    double ytm = 0.0;
    if (id) {
        CBond* bond = FindBondByID(list.m_list, *id);
        const RowFigures row = bond ? AnalyseRow(*bond, stand, horizon, SystemClock()) : RowFigures{};
        if (row.status != RowStatus::Ready)
            return Fail(NotReadyMessage(*id, row));
        bonds.push_back(bond);
        units.push_back(1.0);
        ytm = row.ytm;
    } else {
        const auto read = OpenPortfolio(*portfolioPath);
        if (!read)
            return kExitFailure;
        const PortfolioFile& file = *read;
        // Every row's units are told of before the first row left out.
        std::vector<std::optional<double>> shown;
        for (std::size_t i = 0; i < file.rows.size(); ++i)
            shown.push_back(ReadUnitsAsShown(file.rows[i].units, static_cast<int>(i + 1)));
        for (std::size_t i = 0; i < file.rows.size(); ++i) {
            CBond* bond = FindBondByID(list.m_list, file.rows[i].id);
            if (AnalyseFileRow(shown[i], bond, stand, horizon).status != RowStatus::Ready)
                return Fail(ExcludedRowMessage(file.rows[i].id, static_cast<int>(i + 1)));
            bonds.push_back(bond);
            // Calculate counts the whole units the window shows.
            units.push_back(*shown[i]);
        }
        const PortfolioFigures p = CalculatePortfolio(bonds, units, stand, horizon, SystemClock());
        if (p.outcome != PortfolioOutcome::Ready)
            return Fail(OutcomeMessage(p.outcome));
        ytm = p.ytm;
    }

    std::vector<ShiftPoint> points;
    try {
        points = HorizonValues(bonds, units, ytm, YearFraction(horizon, stand), from, to, step);
    } catch (const NoYieldFound&) {
        return Fail(OutcomeMessage(PortfolioOutcome::BadYtm));
    }
    Output out(STDOUT_FILENO);
    std::string& text = out.Text();
    text += "shift_bp,yield,horizon_value,change_percent\r\n";
    for (const ShiftPoint& p : points) {
        AppendFixed(text, p.shiftBp, 8);
        for (double figure : {p.yield, p.horizonValue, p.changePercent}) {
            text += ',';
            AppendFixed(text, figure, 8);
        }
        EndCsvRow(text);
        out.Pass();
    }
    return FinishOutput(out);
}

} // namespace tenvix::cli
