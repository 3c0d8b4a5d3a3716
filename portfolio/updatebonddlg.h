#pragma once

// "Update bond": the units and the price of one portfolio row, edited as
// texts. The caller keeps the texts as typed (a decimal comma the locale
// writes as the full stop); the dialog only makes sure they read as numbers
// of the right kind.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace tenvix::ui {

class CUpdateBondDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUpdateBondDlg(QWidget* parent = nullptr);

    // Overwrites the caller's texts with the typed ones, then checks them;
    // closes only when both pass.
    void accept() override;

    // The caller's texts: shown when the dialog opens, replaced on OK.
    QString* m_pstrUnits = nullptr;
    QString* m_pstrPrice = nullptr;
    double m_dPrice = 0.0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_wndUnits;
    QLineEdit* m_wndPrice;
    bool m_bInitialised = false;
};

} // namespace tenvix::ui
