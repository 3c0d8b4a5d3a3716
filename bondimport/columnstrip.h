#pragma once

// Above a bank's list in the bond import window: each column of the file
// with its heading and a drop-down of what it holds (the import's guess
// first), so that a wrong guess is put right before anything is judged anew.

#include "model/bankcolumns.h"

#include <QScrollArea>

#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QHBoxLayout;

namespace tenvix::ui {

class BankColumnStrip final : public QScrollArea {
    Q_OBJECT
public:
    // The most columns offered; a wider list's further columns are the
    // command line's --columns to reach.
    static constexpr std::size_t kMaxShown = 64;

    explicit BankColumnStrip(QWidget* parent = nullptr);

    // Shows the columns of a list: their headings ("Column N" without one)
    // and what each is read as.
    void Show(const std::vector<std::string>& headings, std::size_t columnCount, const BankColumns& columns);
    // Shows what each column is read as, the columns being those shown.
    void ShowChoice(const BankColumns& columns);
    // The drop-down of column `c` (from 0); null beyond those shown.
    QComboBox* Box(std::size_t c) const;

signals:
    // The user chose what column `c` holds; nothing for no field.
    void Chosen(std::size_t c, std::optional<tenvix::BankField> field);

private:
    QWidget* m_pInner;
    QHBoxLayout* m_pRow;
    std::vector<QComboBox*> m_boxes;
};

} // namespace tenvix::ui
