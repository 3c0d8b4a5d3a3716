#include "portfolio/core/portfoliomessages.h"

#include "model/format.h"

#include <iterator>

namespace tenvix {

const char* StatusText(RowStatus status)
{
    static constexpr const char* kTexts[] = {"", "not found", "incompatible", "bad YTM", "bad units"};
    static_assert(std::size(kTexts) == static_cast<std::size_t>(RowStatus::BadUnits) + 1);
    return kTexts[static_cast<std::size_t>(status)];
}

std::string OutcomeMessage(PortfolioOutcome outcome)
{
    switch (outcome) {
    case PortfolioOutcome::NoUnits:
        return "No units filled in !";
    case PortfolioOutcome::BadYtm:
        return "Bad YTM";
    case PortfolioOutcome::Ready:
    case PortfolioOutcome::MemberIncompatible:
        break;
    }
    return {};
}

std::string PortfolioResultText(const PortfolioFigures& p)
{
    std::string text = "Bond portfolio :\nYTM=";
    AppendFixed(text, p.ytm, 8);
    text += "\nDuration=";
    AppendFixed(text, p.duration, 8);
    text += "\nSquare-M=";
    AppendFixed(text, p.squareM, 8);
    return text;
}

std::string ExcludedRowMessage(std::string_view id, int row)
{
    std::string text = "Bond ID=";
    text += id;
    text += " ,in row ";
    AppendInteger(text, row);
    return text += " , can't be included !";
}

std::string UnreadableUnitsMessage(int row, double units)
{
    std::string text = "Row ";
    AppendInteger(text, row);
    text += " : ";
    AppendShortest(text, units);
    return text += " units cannot be read .";
}

std::string RoundedUnitsMessage(int row, double units, std::string_view shown)
{
    std::string text = "Row ";
    AppendInteger(text, row);
    text += " : ";
    AppendShortest(text, units);
    text += " units are read as ";
    text += shown;
    return text += " .";
}

std::string PortfolioFileMessage(FileCause cause, bool opened, bool saving)
{
    if (cause == FileCause::BadFormat)
        return "Wrong file format !";
    if (saving)
        return opened ? "Error writing to file !" : "Failed to open the file in exclusive write mode !";
    return opened ? "Failed reading the file !" : "Failed to open the file !";
}

FileCause CauseOf(PortfolioFileError error)
{
    switch (error) {
    case PortfolioFileError::None:
        return FileCause::None;
    case PortfolioFileError::WrongFormat:
    case PortfolioFileError::TooManyRows:
        return FileCause::BadFormat;
    case PortfolioFileError::Truncated:
        break;
    }
    return FileCause::ReadError;
}

const char* TextOf(PortfolioText text)
{
    static constexpr const char* kTexts[] = {
        "Nothing suggested .",                                     // NothingSuggested
        "Bad number of units !",                                   // BadUnits
        "Empty ID",                                                // EmptyId
        "Invalid price\nor out of range !",                        // BadPrice
        "The amount must be a number above 0 !",                   // BadAmount
        "The number of rows must be from 1 to 20 !",               // BadRows
        "The share must be above 0 and at most 100 % !",           // BadShare
        "The least YTM must be a number, or empty for no limit !", // BadLeastYtm
        "Replace the rows of the portfolio ?",                     // ReplaceRows
        "Save the portfolio ?",                                    // SaveChangedRows
        "A portfolio holds at most 20 bonds .",                    // TooManyRows
    };
    static_assert(std::size(kTexts) == static_cast<std::size_t>(PortfolioText::TooManyRows) + 1);
    static_assert(kPortfolioFileMaxRows == 20);
    return kTexts[static_cast<std::size_t>(text)];
}

std::string TotalValueText(double total)
{
    std::string text = "Total value = ";
    AppendFixed(text, total, 2);
    return text;
}

std::string DuplicateQuestion(std::string_view id)
{
    std::string text = "Bond ";
    text += id;
    return text += " is duplicated.\nDelete ?";
}

std::string ImmunizeFailureText(const ImmunizeResult& result, int rows, std::string_view shareAsTyped,
                                double horizonYears)
{
    std::string text;
    switch (result.failure) {
    case ImmunizeFailure::AmountTooLarge:
        text = "The amount is too large : at most ";
        AppendFixed(text, result.largestAmount, 0);
        text += " .";
        break;
    case ImmunizeFailure::LimitsTooTight:
        text = "The limits leave no portfolio : ";
        AppendInteger(text, rows);
        text += " rows of at most ";
        text += shareAsTyped;
        text += " % of the amount cannot hold all of it .";
        break;
    case ImmunizeFailure::NothingReady:
        text = "No bond can be analysed for these dates .";
        break;
    case ImmunizeFailure::NothingLeft:
        text = "No bond is left after the least YTM and the exclusions .";
        break;
    case ImmunizeFailure::NothingAffordable:
        text = "The amount buys no bond .";
        break;
    case ImmunizeFailure::HorizonOutside:
        text = "No portfolio of these bonds reaches a duration of ";
        AppendFixed(text, horizonYears, 2);
        text += " years : their durations run from ";
        AppendFixed(text, result.lowDuration, 2);
        text += " to ";
        AppendFixed(text, result.highDuration, 2);
        text += " .";
        break;
    case ImmunizeFailure::NotWithinLimits:
        text = "No portfolio within these limits reaches a duration of ";
        AppendFixed(text, horizonYears, 2);
        text += " years .";
        break;
    case ImmunizeFailure::None:
    case ImmunizeFailure::Stopped:
        break;
    }
    return text;
}

} // namespace tenvix
