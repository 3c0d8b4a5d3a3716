#pragma once

// Importing bonds from a file in the database's own CSV, as tenvix-cli export
// writes it, or from a bank's list of bonds: the window reads the file, shows
// the verdict on every row before anything changes, and Apply closes it; the
// records are added and replaced only then, from the main loop, by
// ImportBonds. Cancel changes nothing. For a bank's list it shows what each
// column was taken for, to be put right, and whether its prices are clean
// quotes. The window is modal, so the records its verdicts point to stay
// where they are while it is up.

#include "model/banklist.h"
#include "model/bondimport.h"
#include "model/bondlist.h"

#include <QByteArray>
#include <QDialog>

#include <cstdint>
#include <optional>
#include <string_view>

class QLabel;
class QPushButton;
class QTableView;

namespace tenvix::ui {

class BankColumnStrip;
class BondVerdictTable;
class QuotesBox;

class BondImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit BondImportDialog(QWidget* parent = nullptr);
    ~BondImportDialog() override;

    // Set before the window is shown; the list is not owned. The stand day
    // is what a bank's clean quotes and release dates are reckoned on.
    CBondList* m_pBondList = nullptr;
    std::int32_t m_nStandDay = 0;
    // What a bank's prices are, as the user last chose; the window's choice
    // once it has ended.
    PriceQuotes Quotes() const;
    void SetQuotes(PriceQuotes quotes);

    // Asks for a file and reads it; false when the user cancelled or the
    // file could not be read (the user has been told why).
    bool ChooseFile();
    // Reads `bytes`, judges every row and shows the verdicts. On a failure
    // or a Cancel what the window showed stays.
    bool Load(std::string_view bytes, const QString& source);

    // The verdicts shown, which Apply accepts.
    BondImport& Judged() { return m_judged; }
    // The bank's list shown, if the file is one.
    const BankList* Bank() const { return m_bBank ? &m_bank : nullptr; }

    void done(int code) override;

private:
    void ShowSummary();
    // Reads the bank's list anew with column `c` taken for `field`.
    void ChooseColumn(std::size_t c, std::optional<BankField> field);
    // The verdicts on a bank's list, none while a column it must have is not
    // chosen; nothing when the user cancelled.
    std::optional<BondImport> JudgeBank(const BankList& bank);
    void ShowJudged(BondImport judged);

    BondImport m_judged;
    bool m_bBusy = false;
    bool m_bBank = false;
    QByteArray m_bankBytes; // the list, read anew when a column changes
    BankList m_bank;
    PriceQuotes m_judgedAs = PriceQuotes::Clean;

    BondVerdictTable* m_pModel;
    QPushButton* m_wndFile;
    QLabel* m_wndSource;
    BankColumnStrip* m_wndColumns;
    QLabel* m_wndQuotesLabel;
    QuotesBox* m_wndQuotes;
    QTableView* m_wndTable;
    QLabel* m_wndSummary;
    QPushButton* m_wndApply;
    QPushButton* m_wndCancel;
};

// The whole import, from the window: on Apply the new records go to the end
// of `bonds` in file order and the changed ones take the place of the
// records they replace, after the window has closed. Returns what was done,
// or nothing when the user cancelled. The caller shows the records anew,
// marks the database changed and tells the user. `bankQuotes` goes in as the
// first choice for a bank's prices and comes back as the user's last.
std::optional<BondCounts> ImportBonds(QWidget* parent, CBondList& bonds, std::int32_t standDay,
                                      PriceQuotes& bankQuotes);

} // namespace tenvix::ui
