#pragma once

// Re-pricing the live book: every bond still alive on the stand day, ordered
// by identifier, 200 to a page. Prices are typed in place and written to the
// bonds page by page with Save; before the page changes or the window closes
// with prices typed and not saved, the user is asked whether to save them.

#include "model/bondlist.h"
#include "model/quotes.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace tenvix::ui {

class PageScroller;
class PriceDelegate;
class PricePageTable;

class CPriceUpdateDlg : public QDialog {
    Q_OBJECT
public:
    // What "&Close" ends the window with.
    static constexpr int kCloseCode = 10;

    explicit CPriceUpdateDlg(QWidget* parent = nullptr);
    ~CPriceUpdateDlg() override;

    // Set before the window is shown; the list is not owned.
    CBondList* m_pBondList = nullptr;
    int m_nStandDay = 0;
    // What the import takes a file's prices for; the user's last choice
    // there once the window has ended.
    PriceQuotes m_quotes = PriceQuotes::Paid;
    // 1 once a Save wrote a page that had rows or an import stored prices;
    // read after the window ends.
    int m_bSaved = 0;

    // The matched set of the stand day, the page count and page 1.
    void CollectMatched();
    // Fills the list with page `page` (from 1); a page outside the range
    // shows nothing.
    void ShowPage(int page);

    // Ends the window unless the user keeps it open to the prices typed on
    // the page.
    void done(int code) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class PriceDelegate;

    // Checks a typed price for row `row`. An accepted text shows as typed
    // (a decimal comma the locale writes as the full stop) and marks the row
    // "changed"; a refused one leaves the cell as it was and is answered with
    // a message once the editor has closed.
    bool CommitPrice(int row, const QString& text);
    void OnSave();
    // Writes the page's changed prices to their bonds.
    void SavePage();
    // True when the shown page may be left: nothing typed and unsaved, or the
    // user chose to save it or drop it.
    bool MayLeavePage();
    void OnPageTextChanged();
    // Prices from a file or the clipboard for every bond, after the page's
    // typed prices are saved or dropped as for a page change.
    void OnImport();

    int m_bReady = 0;
    int m_nPages = 1;
    int m_nLastPageCount = 0;
    int m_nMatched = 0;
    std::vector<CBond*> m_arrMatched;
    bool m_bOpened = false;
    bool m_bAsking = false;

    PageScroller* m_wndScroll;
    QLineEdit* m_wndPage;
    QLabel* m_wndOf;
    QPushButton* m_wndSave;
    QPushButton* m_wndClose;
    QPushButton* m_wndImport;
    QTreeView* m_wndList;
    PricePageTable* m_pTable;
    PriceDelegate* m_pDelegate;
};

} // namespace tenvix::ui
