#include "cli/usage.h"

#include "cli/commands.h"

#include <algorithm>

namespace tenvix::cli {

namespace {

constexpr CommandEntry kCommands[] = {
    {"analyse", RunAnalyse,
     "  tenvix-cli analyse FILE.bnd --stand YYYY-MM-DD --horizon YYYY-MM-DD [--threads N]\n"
     "      CSV of every bond: id,name,type,status,code,ytm,duration,square_m,horizon_years\n",
     true},
    {"cashflows", RunCashflows,
     "  tenvix-cli cashflows --stand YYYY-MM-DD --horizon YYYY-MM-DD --price TEXT\n"
     "          [--method 12m|365d] [--square-m] [--table] AMOUNT@YYYY-MM-DD ...\n"
     "      ytm=, d1=, m2= (with --square-m) and h= of the payments, one a line;\n"
     "      with --table the payments explained instead, as explain writes them\n",
     false},
    {"curve", RunCurve,
     "  tenvix-cli curve FILE.bnd --stand YYYY-MM-DD [--exclude ID[,ID...]] [--zero] [--threads N]\n"
     "      The yield curve (Nelson-Siegel-Svensson zero rates) fitted to the stored prices, and CSV of\n"
     "      every bond: id,years,ytm,duration,model_price,spread_bp,status; status empty for a bond the\n"
     "      curve is fitted to, excluded, short (duration under 0.25) or excluded short for one valued\n"
     "      but left out, bad_ytm or incompatible for one with no figures; then\n"
     "      curve,beta0=,beta1=,beta2=,beta3=,tau1=,tau2=,bonds=,rmse_bp=. --zero writes\n"
     "      years,zero_rate,discount at 0.25, 0.5 and 1 to 30 years instead of the bonds\n",
     true},
    {"explain", RunExplain,
     "  tenvix-cli explain FILE.bnd ID --stand YYYY-MM-DD --horizon YYYY-MM-DD\n"
     "      CSV of the bond's payments, weighted by its stored price:\n"
     "      no,member,date,date_derived,t,amount,discount_factor,present_value,share,duration_part,square_m_part;\n"
     "      then total with the price, the duration and Square-M. ID: the same text, else without regard to case\n",
     false},
    {"export", RunExport,
     "  tenvix-cli export FILE.bnd [--threads N]\n"
     "      CSV of every stored field: type,id,name,release,maturity,price,coupon,period_months,face,payments\n",
     true},
    {"import", RunImport,
     "  tenvix-cli import FILE.bnd BONDS.csv [--stand YYYY-MM-DD] [--quotes clean|paid]\n"
     "          [--columns FIELD=COLUMN[,...]] [--apply]\n"
     "      CSV of the verdict on every row of a file as export writes it, or of a bank's list of\n"
     "      bonds: line,id,verdict,reason; verdict add (a new ID), replace (a known ID whose fields\n"
     "      differ), unchanged or refused. A bank's list gives per row an ID, a coupon rate in % a\n"
     "      year, a maturity and a price per 100 of face, and may give a name, a face value (100),\n"
     "      a pay period in months (12) and a release date (the last coupon date on or before the\n"
     "      stand date, which defaults to today); its columns are guessed from its heading, or\n"
     "      given as --columns id=ISIN,rate=Kupon,maturity=3,... (FIELD one of id, name, rate,\n"
     "      maturity, price, face, period, release; COLUMN a heading or a number from 1). Its\n"
     "      prices are clean quotes, to which the accrued interest is added, unless --quotes paid.\n"
     "      --apply adds and replaces the records in FILE.bnd, which is made when it does not exist\n",
     false},
    {"fund", RunFund,
     "  tenvix-cli fund FILE.bnd LIABILITIES.csv --stand YYYY-MM-DD [--decimal-mark point|comma]\n"
     "          [--reinvest PERCENT] [--max-rows N] [--max-share PERCENT] [--min-ytm PERCENT]\n"
     "          [--exclude ID[,ID...]] [--hold FILE.bdp] [--out FILE.bdp] [--threads N]\n"
     "      CSV of the least-cost whole-unit portfolio that, with the units held (--hold) and the cash\n"
     "      kept, pays every liability (rows date,amount) on its date, the surplus carried at the\n"
     "      reinvestment rate (default 0): id,units,cost,share,ytm; then cash,,C,SHARE, and\n"
     "      portfolio,cost=,lower_bound=,gap_percent=. N from 1 to 200 (default 20); --out writes the\n"
     "      bonds bought as a portfolio file (then N at most 20)\n",
     true},
    {"immunize", RunImmunize,
     "  tenvix-cli immunize FILE.bnd --stand YYYY-MM-DD --horizon YYYY-MM-DD --amount A [--max-rows N]\n"
     "          [--max-share PERCENT] [--min-ytm PERCENT] [--exclude ID[,ID...]] [--out FILE.bdp] [--threads N]\n"
     "      CSV of the whole-unit portfolio whose duration holds the horizon with the least Square-M:\n"
     "      id,units,amount,share,ytm,duration,square_m; then portfolio,ytm=,duration=,square_m=;\n"
     "      --out writes it as a portfolio file\n",
     true},
    {"ladder", RunLadder,
     "  tenvix-cli ladder FILE.bnd LIABILITIES.csv --portfolio FILE.bdp --stand YYYY-MM-DD [--hold FILE.bdp]\n"
     "          [--cash C] [--reinvest PERCENT] [--decimal-mark point|comma]\n"
     "      CSV of the portfolio (and the units held) walked against the schedule:\n"
     "      date,liability,inflow,reinvestment,surplus,flag, flag short where the surplus is below 0;\n"
     "      then after,,A,, with what is paid after the last liability\n",
     false},
    {"portfolio", RunPortfolio,
     "  tenvix-cli portfolio FILE.bnd FILE.bdp --stand YYYY-MM-DD --horizon YYYY-MM-DD [--table]\n"
     "      CSV of the rows: id,units,status,ytm,duration,square_m; then portfolio,ytm=,duration=,square_m=;\n"
     "      with --table the pooled payments explained instead, as explain writes them\n",
     false},
    {"prices", RunPrices,
     "  tenvix-cli prices FILE.bnd PRICES.csv [--stand YYYY-MM-DD] [--max-change PERCENT]\n"
     "          [--decimal-mark point|comma] [--quotes paid|clean] [--apply [--accept-large]]\n"
     "      CSV of the verdict on every row of a price file (the stand date defaults to today):\n"
     "      line,id,verdict,old_price,new_price,change_percent,reason,flag; flag is large for a\n"
     "      change of more than PERCENT (default 20). --decimal-mark reads 1.012 or 1,012 when the\n"
     "      file's prices do not tell. --quotes clean reads clean quotes per 100 of face of Type I\n"
     "      bonds and stores quote * face / 100 plus the accrued interest, with the columns\n"
     "      quote,accrued added; paid (the default) stores the file's prices as they are.\n"
     "      --apply writes the accepted prices to FILE.bnd, large changes\n"
     "      only with --accept-large; exit status 3 when some were left unwritten, 0 when all were\n"
     "      written\n",
     false},
    {"shifts", RunShifts,
     "  tenvix-cli shifts FILE.bnd (--id ID | --portfolio FILE.bdp) --stand YYYY-MM-DD --horizon YYYY-MM-DD\n"
     "          [--from BP] [--to BP] [--step BP]\n"
     "      CSV of the value at the horizon per 100 invested under parallel shifts of the yield\n"
     "      (default -300 to 300 in steps of 25): shift_bp,yield,horizon_value,change_percent\n",
     false},
    {"suggest", RunSuggest,
     "  tenvix-cli suggest FILE.bnd --stand YYYY-MM-DD --horizon YYYY-MM-DD [--rows N] [--threads N]\n"
     "      CSV of the bonds suggested for a portfolio of N rows: id,name,ytm,duration,square_m,group\n",
     true},
};

constexpr std::string_view kThreadsNote =
    "  --threads N: work on N threads (1 to 256; default: one per processor). The output\n"
    "      is the same whatever N; --threads 1 does all the work on one thread.\n";
constexpr std::string_view kOwnOptions = "  --version: the version; COMMAND --help: that command's usage\n";

} // namespace

std::span<const CommandEntry> CommandTable() { return kCommands; }

const CommandEntry* FindCommand(std::string_view name)
{
    const auto* found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [name](const CommandEntry& c) { return c.name == name; });
    return found == std::end(kCommands) ? nullptr : found;
}

std::string FullUsage()
{
    std::string text = "usage:\n";
    for (const CommandEntry& c : kCommands)
        text += c.usage;
    text += kOwnOptions;
    return text += kThreadsNote;
}

std::string UsageOf(const CommandEntry& command)
{
    std::string text = "usage:\n";
    text += command.usage;
    if (command.threads)
        text += kThreadsNote;
    return text;
}

} // namespace tenvix::cli
