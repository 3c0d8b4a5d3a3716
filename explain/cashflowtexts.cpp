#include "explain/cashflowtexts.h"

#include "model/format.h"

namespace tenvix::ui {

QString TextOf(CashflowText text)
{
    switch (text) {
    case CashflowText::Title:
        return QStringLiteral("Cashflows");
    case CashflowText::Nothing:
        return QStringLiteral("Nothing analysed yet . Analyse a bond , or Calculate in Bond Analysis or a portfolio .");
    case CashflowText::Amount:
        return QStringLiteral("Amount");
    case CashflowText::PresentValue:
        return QStringLiteral("Present value");
    case CashflowText::Selected:
        return QStringLiteral("Selected");
    case CashflowText::Horizon:
        return QStringLiteral("Investment horizon");
    case CashflowText::Duration:
        return QStringLiteral("Duration");
    case CashflowText::SaveCsv:
        return QStringLiteral("Save as C&SV...");
    case CashflowText::SaveCsvTip:
        return QStringLiteral("Write the table to a CSV file");
    case CashflowText::CsvFilter:
        return QStringLiteral("CSV files(*.csv)");
    case CashflowText::DerivedTip:
        return QStringLiteral("Counted back from maturity by whole pay periods");
    case CashflowText::DateTip:
        return QStringLiteral("Type I dates, in colour, are counted back from maturity by whole pay periods");
    case CashflowText::Total:
        return QStringLiteral("Total");
    case CashflowText::ShiftAxis:
        return QStringLiteral("Shift of the yield (bp)");
    case CashflowText::ChangeAxis:
        return QStringLiteral("Change (%)");
    case CashflowText::Funding:
        return QStringLiteral("Funding");
    case CashflowText::Liability:
        return QStringLiteral("Liability");
    case CashflowText::Inflow:
        return QStringLiteral("Inflow");
    case CashflowText::Surplus:
        return QStringLiteral("Surplus");
    }
    return {};
}

QString HorizonTitle(const Explanation& e)
{
    std::string text = "Horizon value : H = ";
    AppendFixed(text, e.horizonYears, 2);
    text += " years , D = ";
    AppendFixed(text, e.duration, 2);
    text += " years";
    return QString::fromStdString(text);
}

QStringList ColumnHeadings()
{
    return {QStringLiteral("No"),
            QStringLiteral("Member"),
            QStringLiteral("Date"),
            QStringLiteral("t"),
            QStringLiteral("Amount"),
            QStringLiteral("Discount"),
            QStringLiteral("Present value"),
            QStringLiteral("Share"),
            QStringLiteral("t x share"),
            QStringLiteral("d^2 x share")};
}

QString SubjectLine(ExplainSource source, const QString& subject)
{
    switch (source) {
    case ExplainSource::Form:
        return subject.isEmpty() ? QStringLiteral("Record") : QStringLiteral("Record ") + subject;
    case ExplainSource::Analysis:
        return QStringLiteral("Bond Analysis");
    case ExplainSource::Portfolio:
        return QStringLiteral("Bond portfolio");
    }
    return {};
}

QString SummaryLine(ExplainSource source, const QString& subject, const Explanation& e)
{
    std::string text = " : YTM=";
    AppendFixed(text, e.ytm, 8);
    text += "  D=";
    AppendFixed(text, e.duration, 8);
    text += "  M2=";
    AppendFixed(text, e.squareM, 8);
    text += "  IH=";
    AppendFixed(text, e.horizonYears, 8);
    text += "  Price=";
    AppendFixed(text, e.price, 4);
    // A Type I bond as the market quotes it: the price less the interest
    // accrued since the last coupon, per 100 of face value.
    if (e.quoted) {
        text += "  Accrued=";
        AppendFixed(text, e.accrued, 6);
        if (e.cleanPer100) {
            text += "  Clean per 100=";
            AppendFixed(text, *e.cleanPer100, 6);
        }
    }
    return SubjectLine(source, subject) + QString::fromStdString(text);
}

QString FailureLine(ExplainSource source, const QString& message)
{
    // A message may run over lines in its box; here it is one line.
    return SubjectLine(source, {}) + QStringLiteral(" : ") + message.simplified();
}

QString OutOfDateLine(ExplainSource source, OutOfDate reason)
{
    switch (reason) {
    case OutOfDate::Dates:
        return QStringLiteral("Out of date : the stand date or the horizon changed after the analysis .");
    case OutOfDate::Prices:
        return QStringLiteral("Out of date : the prices changed after the analysis .");
    case OutOfDate::Replaced:
        return QStringLiteral("Out of date : another database was opened after the analysis .");
    case OutOfDate::Deleted:
        return QStringLiteral("Out of date : the record was deleted .");
    case OutOfDate::Imported:
        return QStringLiteral("Out of date : bonds were imported after the analysis .");
    case OutOfDate::Edited:
        break;
    }
    switch (source) {
    case ExplainSource::Form:
        return QStringLiteral("Out of date : the record was edited after its analysis .");
    case ExplainSource::Analysis:
        return QStringLiteral("Out of date : the payments were edited after their calculation .");
    case ExplainSource::Portfolio:
        return QStringLiteral("Out of date : the portfolio was changed after its calculation .");
    }
    return {};
}

} // namespace tenvix::ui
