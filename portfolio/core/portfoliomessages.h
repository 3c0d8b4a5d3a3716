#pragma once

// Everything the portfolio window says, in one place, and the command line
// with it where they say the same: row statuses, the outcome of Calculate,
// file failures, Suggest finding nothing, and the entry dialogs' refusals.

#include "model/filemessages.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/immunize.h"
#include "portfolio/core/portfoliofile.h"

#include <string>
#include <string_view>

namespace tenvix {

// The Status cell's text: empty for a ready row.
const char* StatusText(RowStatus status);

// What Calculate tells of a refusal; empty for an outcome that is said some
// other way (a result) or not at all (a member its own check refuses).
std::string OutcomeMessage(PortfolioOutcome outcome);
// "Bond portfolio :" and the figures.
std::string PortfolioResultText(const PortfolioFigures& figures);
// The first row Calculate cannot include, numbered from 1.
std::string ExcludedRowMessage(std::string_view id, int row);

// A row of a portfolio file (numbered from 1) whose units no row can show,
// and one whose units are read as the whole number a row shows, `shown`.
std::string UnreadableUnitsMessage(int row, double units);
std::string RoundedUnitsMessage(int row, double units, std::string_view shown);

// A portfolio file that could not be read or written: whether it was opened
// at all is what the words tell apart, and a file read whole that is no
// portfolio has its own.
std::string PortfolioFileMessage(FileCause cause, bool opened, bool saving);
// What the reader's refusal of a file's bytes counts as.
FileCause CauseOf(PortfolioFileError error);

// The other texts of the window and its entry dialogs.
enum class PortfolioText {
    NothingSuggested,
    BadUnits, // the units of a row
    EmptyId,
    BadPrice,
    // The Immunize dialog's refusals and the question before its rows
    // replace the window's.
    BadAmount,
    BadRows,
    BadShare,
    BadLeastYtm,
    ReplaceRows,
    // Closing the window, or loading another portfolio, with rows that no
    // file holds.
    SaveChangedRows,
    // A file of more rows than a portfolio holds, as the command line says it
    // (the window's Load says the wrong format).
    TooManyRows,
};
const char* TextOf(PortfolioText text);
// Under the rows: what they are worth together, "%.2f".
std::string TotalValueText(double total);
// Find duplicates asks of each repeated bond.
std::string DuplicateQuestion(std::string_view id);

// Why Immunize found no portfolio: `rows` and `shareAsTyped` are the limits
// as the user gave them (the share in percent, its text untouched), and
// `horizonYears` H; empty for None and Stopped, which say nothing.
std::string ImmunizeFailureText(const ImmunizeResult& result, int rows, std::string_view shareAsTyped,
                                double horizonYears);

} // namespace tenvix
