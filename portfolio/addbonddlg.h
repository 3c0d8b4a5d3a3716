#pragma once

// "Add Bond by ID": an identifier and a number of units for a new portfolio
// row. OK keeps the dialog open until both are acceptable.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace tenvix::ui {

class CAddBondDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddBondDlg(QWidget* parent = nullptr);

    // Checks the units, then the identifier; closes only when both pass.
    void accept() override;

    double m_dUnits = 0.0;
    QString m_strBondID; // trimmed

private:
    QLineEdit* m_wndID;
    QLineEdit* m_wndUnits;
};

} // namespace tenvix::ui
