#pragma once

// Importing bonds from a file in the database's own CSV, as tenvix-cli export
// writes it: the window reads the file, shows the verdict on every row
// before anything changes, and Apply closes it; the records are added and
// replaced only then, from the main loop, by ImportBonds. Cancel changes
// nothing. The window is modal, so the records its verdicts point to stay
// where they are while it is up.

#include "model/bondimport.h"
#include "model/bondlist.h"

#include <QDialog>

#include <optional>
#include <string_view>

class QLabel;
class QPushButton;
class QTableView;

namespace tenvix::ui {

class BondVerdictTable;

class BondImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit BondImportDialog(QWidget* parent = nullptr);
    ~BondImportDialog() override;

    // Set before the window is shown; the list is not owned.
    CBondList* m_pBondList = nullptr;

    // Asks for a file and reads it; false when the user cancelled or the
    // file could not be read (the user has been told why).
    bool ChooseFile();
    // Reads `bytes`, judges every row and shows the verdicts. On a failure
    // or a Cancel what the window showed stays.
    bool Load(std::string_view bytes, const QString& source);

    // The verdicts shown, which Apply accepts.
    BondImport& Judged() { return m_judged; }

    void done(int code) override;

private:
    void ShowSummary();

    BondImport m_judged;
    bool m_bBusy = false;

    BondVerdictTable* m_pModel;
    QPushButton* m_wndFile;
    QLabel* m_wndSource;
    QTableView* m_wndTable;
    QLabel* m_wndSummary;
    QPushButton* m_wndApply;
    QPushButton* m_wndCancel;
};

// The whole import, from the window: on Apply the new records go to the end
// of `bonds` in file order and the changed ones take the place of the
// records they replace, after the window has closed. Returns what was done,
// or nothing when the user cancelled. The caller shows the records anew,
// marks the database changed and tells the user.
std::optional<BondCounts> ImportBonds(QWidget* parent, CBondList& bonds);

} // namespace tenvix::ui
