#pragma once

// The commands of tenvix-cli. Each takes the arguments after its name, writes
// its result to standard output and returns the exit status; a malformed
// command line throws UsageError.

#include "model/explain.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/fund.h"
#include "portfolio/core/immunize.h"

#include <functional>
#include <string>
#include <vector>

namespace tenvix::cli {

int RunAnalyse(const std::vector<std::string>& args);
int RunCashflows(const std::vector<std::string>& args);
int RunCurve(const std::vector<std::string>& args);
int RunExplain(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunFund(const std::vector<std::string>& args);
int RunImmunize(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunLadder(const std::vector<std::string>& args);
int RunPortfolio(const std::vector<std::string>& args);
int RunPrices(const std::vector<std::string>& args);
int RunShifts(const std::vector<std::string>& args);
int RunSuggest(const std::vector<std::string>& args);

class Output;
struct DatabaseFile;

// What explain, cashflows --table and portfolio --table end with: the
// explanation's table as CSV on standard output.
int WriteExplanation(const Explanation& explanation);

// The work of export, analyse and suggest on a database already read and
// checked, on `threads` threads, written to `out` (not yet finished): what the
// commands run, and what the benchmarks time. The output is the same byte for
// byte whatever the number of threads.
void ExportDatabase(const DatabaseFile& db, Output& out, int threads);
void AnalyseDatabase(const DatabaseFile& db, double stand, double horizon, Output& out, int threads);
void SuggestFromDatabase(const DatabaseFile& db, double stand, double horizon, int rows, Output& out, int threads);

// The immunization over a database read and checked: every bond's row
// analysed on `threads` threads and screened in file order, then the search.
// The answer is the same whatever the number of threads.
ImmunizeResult ImmunizeDatabase(const DatabaseFile& db, const ImmunizeLimits& limits, double stand, double horizon,
                                int threads);
// The funding of a schedule over a database read and checked: every bond's
// row analysed (the horizon at the last liability) on `threads` threads and
// screened in file order, then the search. The same answer whatever the
// number of threads.
FundResult FundDatabase(const DatabaseFile& db, const std::vector<Liability>& schedule, double stand,
                        const FundLimits& limits, std::span<const FundHolding> held, int threads);
// The CSV fund writes: id,units,cost,share,ytm rows, the cash row and the
// portfolio line.
void AppendFundedRows(std::string& text, const FundResult& result);
// The CSV ladder writes: a row a liability date, then the after row.
void AppendLadderRows(std::string& text, const Ladder& ladder);
// The CSV immunize writes: its rows, then the composite line.
void AppendImmunizedRows(std::string& text, const ImmunizeResult& result);
// The line portfolio and immunize end with: portfolio,ytm=,duration=,square_m=.
void AppendCompositeLine(std::string& text, const PortfolioFigures& figures);

// Writes appendRow's text for every record of `db` to `out`, in file order,
// made unit by unit on `threads` threads: the loop of export and analyse.
void WriteRecordRows(const DatabaseFile& db, Output& out, int threads,
                     const std::function<void(std::string&, CBond&)>& appendRow);

// Units being made or waiting to be written, per thread: enough to keep every
// thread busy while one slow bond holds up the writing, few enough that the
// buffered rows stay a few megabytes.
inline constexpr std::size_t kUnitsInFlightPerThread = 4;

} // namespace tenvix::cli
