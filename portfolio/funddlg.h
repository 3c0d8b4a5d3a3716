#pragma once

// "Fund schedule": the liabilities the portfolio is to pay, each a date and
// an amount typed in the payment grid (or read from a CSV file), the
// reinvestment rate of the surplus and the limits of the portfolio. It starts
// from the texts last accepted and gives back the texts as typed, for the
// opener to remember, and what they say. OK keeps the dialog open until
// every row and box reads.

#include "portfolio/core/fund.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QLineEdit;

namespace tenvix::ui {

class PaymentGrid;

// The boxes' texts, percentages in percent.
struct FundEntries {
    QString reinvest = QStringLiteral("0");
    QString rows = QStringLiteral("20");   // the most bonds bought
    QString share = QStringLiteral("100"); // the most share of the whole cost in one bond
    QString leastYtm;                      // empty: no limit
    bool operator==(const FundEntries&) const = default;
};

// The schedule's rows as the grid shows them: the amount, then the date.
using ScheduleTexts = std::vector<std::pair<QString, QString>>;

struct FundChoice {
    FundEntries entries;
    ScheduleTexts rows;              // as typed
    std::vector<Liability> schedule; // what they say: in date order, one a date
    FundLimits limits;
};

class FundDialog : public QDialog {
    Q_OBJECT
public:
    // `stand` is the stand date every liability must lie after.
    FundDialog(const FundEntries& entries, const ScheduleTexts& rows, double stand, QWidget* parent = nullptr);

    // Checks the rows top to bottom, then the boxes in order, and closes
    // only when all of them read.
    void accept() override;
    std::optional<FundChoice> Result() const { return m_result; }

    // The buttons' commands.
    void AddRow();
    void RemoveRow();
    // Reads a schedule file into the grid, in place of its rows; a file that
    // is refused leaves them as they were.
    void ImportCsv();
    // Writes the rows as a schedule file that Import CSV reads back.
    void SaveCsv();

    PaymentGrid* Grid() const { return m_grid; }
    ScheduleTexts Rows() const;

private:
    // The rows read, or the refusal shown (and the row selected).
    std::optional<std::vector<Liability>> ReadRows();
    void SetRows(const ScheduleTexts& rows);

    double m_stand;
    PaymentGrid* m_grid;
    QLineEdit* m_wndReinvest;
    QLineEdit* m_wndRows;
    QLineEdit* m_wndShare;
    QLineEdit* m_wndLeastYtm;
    QString m_strLastPath;
    std::optional<FundChoice> m_result;
};

} // namespace tenvix::ui
