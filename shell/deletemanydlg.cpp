#include "shell/deletemanydlg.h"

#include "uikit/buttons.h"
#include "uikit/datepicker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tenvix::ui {

CDeleteManyDlg::CDeleteManyDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Delete many items"));

    auto* label = new QLabel(QStringLiteral("With maturity &before"), this);
    m_wndBefore = new DatePicker(this); // starts at the current date and time
    m_wndBefore->setObjectName(QStringLiteral("beforePicker"));
    label->setBuddy(m_wndBefore);

    auto* ok = MakeButton(this, QStringLiteral("&OK"), "okButton");
    auto* cancel = MakeButton(this, QStringLiteral("&Cancel"), "cancelButton");
    // Deleting is not undone, so Enter alone must not confirm it: neither
    // button is the default.
    for (QPushButton* b : {ok, cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(ok, &QPushButton::clicked, this, &CDeleteManyDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDeleteManyDlg::reject);

    auto* field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(m_wndBefore);
    auto* left = new QVBoxLayout;
    left->addStretch(1);
    left->addLayout(field);
    left->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addSpacing(12);
    top->addLayout(buttons);
    setFixedSize(sizeHint());
}

void CDeleteManyDlg::accept()
{
    m_dtBefore = m_wndBefore->Value();
    QDialog::accept();
}

} // namespace tenvix::ui
