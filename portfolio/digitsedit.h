#pragma once

// A text box that takes only digits from the keyboard. Pasted text goes in
// as it is, which is why the dialogs still check what they read.

#include <QLineEdit>

namespace tenvix::ui {

class DigitsEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DigitsEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tenvix::ui
