// tenvix-cli curve: the yield curve fitted to the database's bonds, and every
// bond's model price and spread against it, or the curve's zero rates.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"

#include "curve/curvemessages.h"
#include "curve/market.h"
#include "curve/nss.h"
#include "model/clock.h"
#include "model/format.h"

#include <cmath>
#include <iostream>
#include <unistd.h>

namespace tenvix::cli {

namespace {

void AppendCurveLine(std::string& text, const curve::Market& market)
{
    const curve::CurveParams& p = market.Params();
    text += "curve";
    const char* names[] = {"beta0", "beta1", "beta2", "beta3", "tau1", "tau2"};
    const double values[] = {p.beta[0], p.beta[1], p.beta[2], p.beta[3], p.tau[0], p.tau[1]};
    for (std::size_t i = 0; i < 6; ++i) {
        text += ',';
        text += names[i];
        text += '=';
        AppendFixed(text, values[i], 10);
    }
    text += ",bonds=";
    AppendInteger(text, static_cast<std::int64_t>(market.FittedCount()));
    text += ",rmse_bp=";
    AppendFixed(text, market.RmseBp(), 4);
    EndCsvRow(text);
}

void AppendBondRows(Output& out, const curve::Market& market)
{
    out.Append("id,years,ytm,duration,model_price,spread_bp,status\r\n");
    const auto bonds = market.Bonds();
    for (std::size_t k = 0; k < bonds.size(); ++k) {
        const curve::MarketBond& b = bonds[k];
        std::string& text = out.Text();
        AppendReportText(text, market.Id(k));
        if (b.Solved()) {
            for (double figure : {b.years, b.ytm, b.duration}) {
                text += ',';
                AppendFixed(text, figure, 8);
            }
            text += ',';
            AppendFixed(text, b.modelPrice, 6);
            text += ',';
            if (!std::isnan(b.spread))
                AppendFixed(text, b.spread * 10000, 4);
        } else {
            text += ",,,,,";
        }
        text += ',';
        text += curve::MarketStatusText(b);
        EndCsvRow(text);
        out.Pass();
    }
}

void AppendZeroRates(std::string& text, const curve::CurveParams& p)
{
    text += "years,zero_rate,discount\r\n";
    std::vector<double> years = {0.25, 0.5};
    for (int y = 1; y <= 30; ++y)
        years.push_back(y);
    for (double t : years) {
        AppendFixed(text, t, 2);
        text += ',';
        AppendFixed(text, curve::ZeroRate(p, t), 10);
        text += ',';
        AppendFixed(text, curve::Discount(p, t), 10);
        EndCsvRow(text);
    }
}

} // namespace

int RunCurve(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "exclude", "threads"}, {"zero"});
    if (args.Positional().size() != 1)
        throw UsageError{"curve takes one database file"};
    const double stand = RequiredDate(args, "stand");
    const std::vector<std::string> exclude = SplitIdentifiers(args.Value("exclude").value_or(""));
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;

    curve::Market market;
    const curve::MarketOptions options{stand, stand, &SystemClock(), threads};
    market.Analyse(db->Bytes(), db->index, options, nullptr);
    if (const auto unknown = market.Exclude(exclude); !unknown.empty())
        throw UsageError{curve::NoBondText(unknown.front())};
    if (const curve::FitOutcome fit = market.Fit(threads, nullptr); fit != curve::FitOutcome::Fitted) {
        std::cerr << curve::FitOutcomeText(fit) << "\n";
        return kExitFailure;
    }
    Output out(STDOUT_FILENO);
    if (args.Flag("zero"))
        AppendZeroRates(out.Text(), market.Params());
    else
        AppendBondRows(out, market);
    AppendCurveLine(out.Text(), market);
    return FinishOutput(out);
}

} // namespace tenvix::cli
