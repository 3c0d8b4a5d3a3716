#pragma once

// Importing prices from a bank's or a broker's file, or from the clipboard:
// the window reads the prices, shows the verdict on every row before anything
// changes, and writes the accepted prices in one step on Apply. Cancel
// changes nothing; before it stores changes beyond the threshold Apply asks
// whether to store them too. The window is modal, and so is its question, so
// the bonds its verdicts point to stay where they are until it closes.

#include "model/bondlist.h"
#include "model/priceverdicts.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tenvix::ui {

class PriceVerdictModel;
class QuotesBox;

class PriceImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit PriceImportDialog(QWidget* parent = nullptr);
    ~PriceImportDialog() override;

    // Set before the window is shown; the list is not owned.
    CBondList* m_pBondList = nullptr;
    std::int32_t m_nStandDay = 0;
    // What the file's prices are, as the user last chose; the window's choice
    // once it has ended.
    PriceQuotes Quotes() const;
    void SetQuotes(PriceQuotes quotes);

    // Asks for a file and reads it; false when the user cancelled or the
    // file could not be read (the user has been told why).
    bool ChooseFile();
    // Reads the clipboard's text.
    bool TakeClipboard();
    // Reads `bytes`, judges every row and shows the verdicts. On a failure
    // or a Cancel what the window showed stays.
    bool Load(std::string_view bytes, const QString& source, bool clipboard);

    // How many bonds took a new price, once Apply has ended the window.
    std::size_t Updated() const { return m_nUpdated; }
    const PriceFile& File() const { return m_file; }
    const std::vector<PriceVerdict>& Verdicts() const { return m_verdicts; }

    void done(int code) override;

private:
    void Apply();
    void ShowSummary();
    // Judges the rows anew by the mark the user chose in the box.
    void ChangeDecimalMark(int entry);
    void ShowDecimalMark();
    // Judges the rows anew as what the user says the prices are.
    void ChangeQuotes();
    // The verdicts on the file's rows as the boxes say now; none when the
    // user cancelled.
    std::optional<std::vector<PriceVerdict>> JudgeAgain();
    void ShowVerdicts(std::vector<PriceVerdict> verdicts);
    void SizeColumns();
    const BondIdIndex& Index();

    PriceFile m_file;
    std::vector<PriceVerdict> m_verdicts;
    std::unique_ptr<BondIdIndex> m_pIndex;
    std::size_t m_nUpdated = 0;
    bool m_bBusy = false;

    PriceVerdictModel* m_pModel;
    QPushButton* m_wndFile;
    QPushButton* m_wndClipboard;
    QLabel* m_wndSource;
    QDoubleSpinBox* m_wndThreshold;
    QComboBox* m_wndDecimalMark;
    QuotesBox* m_wndQuotes;
    PriceQuotes m_judgedAs = PriceQuotes::Paid;
    QComboBox* m_wndFilter;
    QTableView* m_wndTable;
    QLabel* m_wndSummary;
    QPushButton* m_wndApply;
    QPushButton* m_wndCancel;
};

// The whole import, from the window: returns how many bonds took a new
// price, or nothing when the user cancelled or no price was stored. The
// caller refreshes what shows prices, marks the database changed and tells
// the user. `quotes` goes in as the window's first choice and comes back as
// the user's last, kept or not.
std::optional<std::size_t> ImportPrices(QWidget* parent, CBondList& bonds, std::int32_t standDay,
                                        PriceQuotes& quotes);

} // namespace tenvix::ui
