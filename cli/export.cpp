// tenvix-cli export: every stored field of every record, as CSV.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/parallel.h"

#include "model/format.h"

#include <unistd.h>

namespace tenvix::cli {

namespace {

// Nine significant digits bring every float32 back exactly.
void AppendAmount(std::string& out, float amount) { AppendGeneral(out, static_cast<double>(amount), 9); }

void AppendRow(std::string& out, const CBond& bond)
{
    out += bond.GetType() == BOND_TYPE_STD ? "I," : "II,";
    AppendCsvField(out, bond.m_strID);
    out += ',';
    AppendCsvField(out, bond.m_strName);
    out += ',';
    AppendIsoDate(out, bond.m_nRelease);
    out += ',';
    AppendIsoDate(out, bond.m_nMaturity);
    out += ',';
    AppendAmount(out, bond.m_fPrice);
    if (bond.GetType() == BOND_TYPE_STD) {
        const auto& coupons = static_cast<const CBondStd&>(bond);
        out += ',';
        AppendAmount(out, coupons.m_fCoupon);
        out += ',';
        AppendInteger(out, coupons.m_nPeriodMonths);
        out += ',';
        AppendAmount(out, coupons.m_fFace);
        out += ',';
    } else {
        // Amounts, '@', dates and ';' never need quoting.
        out += ",,,,";
        bool first = true;
        for (const CASHFLOW& cf : static_cast<const CBondFree&>(bond).m_cashflows) {
            if (!first)
                out += ';';
            first = false;
            AppendAmount(out, cf.m_fAmount);
            out += '@';
            AppendIsoDate(out, cf.m_nDate);
        }
    }
    EndCsvRow(out);
}

} // namespace

void ExportDatabase(const DatabaseFile& db, Output& out, int threads)
{
    out.Append("type,id,name,release,maturity,price,coupon,period_months,face,payments\r\n");
    WriteRecordRows(db, out, threads, AppendRow);
}

void WriteRecordRows(const DatabaseFile& db, Output& out, int threads,
                     const std::function<void(std::string&, CBond&)>& appendRow)
{
    RunInOrder<std::string>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, std::string& text) {
            text.clear();
            BondRecordReader records(db.Bytes(), db.index.unitStarts[unit]);
            for (std::size_t k = db.index.UnitSize(unit); k > 0; --k)
                appendRow(text, records.Next());
        },
        [&](std::size_t, std::string& text) { out.Append(text); });
}

int RunExport(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"export takes one database file"};
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    Output out(STDOUT_FILENO);
    ExportDatabase(*db, out, threads);
    return FinishOutput(out);
}

} // namespace tenvix::cli
