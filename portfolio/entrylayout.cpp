#include "portfolio/entrylayout.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tenvix::ui {

void LayOutEntryDialog(QDialog* dialog, QGridLayout* fields)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    // accept() is virtual: each dialog's own check runs on OK.
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(buttons);
    buttonColumn->addStretch(1);

    auto* layout = new QHBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addSpacing(16);
    layout->addLayout(buttonColumn);
}

} // namespace tenvix::ui
