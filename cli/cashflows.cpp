// tenvix-cli cashflows: the Bond Analysis window's Calculate for payments given
// on the command line, with the same checks and messages.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"

#include "model/analysiscalc.h"
#include "model/analysismessages.h"
#include "model/clock.h"
#include "model/format.h"

#include <iostream>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// The window's grid holds at most this many rows.
constexpr std::size_t kMaxRows = 200;

YearMethod ReadMethod(const Arguments& args)
{
    const std::string method = args.Value("method").value_or("12m");
    if (method == "12m")
        return YearMethod::CalendarParts;
    if (method == "365d")
        return YearMethod::DayCount;
    throw UsageError{"--method is 12m or 365d, not \"" + method + "\""};
}

} // namespace

int RunCashflows(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon", "price", "method"}, {"square-m", "table"});
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    const std::string price = args.Required("price");
    const YearMethod method = ReadMethod(args);
    const bool squareM = args.Flag("square-m");

    const auto& payments = args.Positional();
    if (payments.empty())
        throw UsageError{"cashflows needs at least one AMOUNT@YYYY-MM-DD"};
    if (payments.size() > kMaxRows)
        throw UsageError{"cashflows takes at most 200 payments"};
    std::vector<GridRow> rows;
    rows.reserve(payments.size());
    for (const std::string& p : payments) {
        // The last '@', so that a stray one in the amount is the amount's fault.
        const std::size_t at = p.rfind('@');
        if (at == std::string::npos)
            throw UsageError{"payment \"" + p + "\" is not AMOUNT@YYYY-MM-DD"};
        rows.push_back({p.substr(0, at), p.substr(at + 1)});
    }

    // Dates are checked row by row like the window's grid, so a bad one is a
    // fault of its row rather than a usage error.
    const DateParser parseDate = [](std::string_view text) { return ParseIsoDate(text); };
    AnalysisInput input{price, rows, stand, horizon, method, squareM};
    input.emptyAmountIsNoNumber = true;
    const bool table = args.Flag("table");
    AnalysisExplanation x;
    if (table)
        x = ExplainAnalysis(input, parseDate, SystemClock());
    else
        x.result = CalculateAnalysis(input, parseDate, SystemClock());
    const AnalysisResult& r = x.result;
    // The one analysis of the command failed: refused entries, or no yield
    // (where the window shows "Error" in place of the figures).
    if (!r.Ok()) {
        std::cerr << (r.fault ? AnalysisFaultMessage(r.fault) : AnalysisFailureText(AnalysisFailure::NoYield)) << "\n";
        return kExitFailure;
    }
    if (table)
        return WriteExplanation(x.explanation);
    Output out(STDOUT_FILENO);
    std::string& text = out.Text();
    auto line = [&text](const char* name, double value) {
        text += name;
        AppendFixed(text, value, 8);
        text += '\n';
    };
    line("ytm=", r.ytm);
    line("d1=", r.duration);
    if (squareM)
        line("m2=", r.squareM);
    line("h=", HorizonYears(method, stand, horizon));
    return FinishOutput(out);
}

} // namespace tenvix::cli
