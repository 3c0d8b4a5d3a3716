#pragma once

// "Immunize": the limits of the portfolio the window builds to hold the
// horizon. It starts from the texts last accepted and gives back both the
// texts as typed, for the opener to remember, and the limits read from them.
// OK keeps the dialog open until every box reads.

#include "portfolio/core/immunize.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;

namespace tenvix::ui {

// The boxes' texts, percentages in percent.
struct ImmunizeEntries {
    QString amount;                        // required; empty before the first run
    QString rows = QStringLiteral("20");   // the most rows
    QString share = QStringLiteral("100"); // the most share of the amount one bond may take
    QString leastYtm;                      // empty: no limit
    QString exclude;                       // identifiers left out, separated by commas
    bool operator==(const ImmunizeEntries&) const = default;
};

// What OK gives back.
struct ImmunizeChoice {
    ImmunizeEntries entries; // the texts as accepted
    ImmunizeLimits limits;   // what they say
};

class ImmunizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImmunizeDialog(const ImmunizeEntries& entries, QWidget* parent = nullptr);

    // Checks the boxes in order (amount, rows, share, least YTM) and closes
    // only when all of them read; the identifiers to leave out are read as
    // the command line's --exclude reads them, and refuse nothing.
    void accept() override;

    // Empty until OK was accepted.
    std::optional<ImmunizeChoice> Result() const { return m_result; }

private:

    QLineEdit* m_wndAmount;
    QLineEdit* m_wndRows;
    QLineEdit* m_wndShare;
    QLineEdit* m_wndLeastYtm;
    QLineEdit* m_wndExclude;
    std::optional<ImmunizeChoice> m_result;
};

} // namespace tenvix::ui
