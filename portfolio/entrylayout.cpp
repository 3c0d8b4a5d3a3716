#include "portfolio/entrylayout.h"

#include "model/numbers.h"
#include "model/text.h"
#include "portfolio/core/immunize.h"
#include "portfolio/core/portfoliomessages.h"
#include "uikit/services.h"
#include "uikit/typeddecimal.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

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

QLineEdit* EntryBox(QLineEdit* box, const char* name, const QString& text)
{
    // More than any sensible figure needs; the boxes' texts stay short to read.
    constexpr int kMaxChars = 20;
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(kMaxChars);
    box->setText(text);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 16);
    return box;
}

void RefuseBox(QWidget* parent, QLineEdit* box, const char* message)
{
    ShowError(parent, QString::fromLatin1(message));
    box->setFocus();
    box->selectAll();
}

std::optional<SharedLimits> ReadSharedLimits(QWidget* parent, QLineEdit* rows, QLineEdit* share, QLineEdit* leastYtm)
{
    SharedLimits limits;
    const std::optional<std::int32_t> n = ReadWholeNumber(rows->text().toStdString());
    if (!n || *n < 1 || *n > kImmunizeMaxRows) {
        RefuseBox(parent, rows, TextOf(PortfolioText::BadRows));
        return std::nullopt;
    }
    limits.maxRows = *n;

    const std::optional<double> s = ReadDecimal(TypedDecimal(share->text()).toStdString());
    if (!s || !(*s > 0 && *s <= 100)) {
        RefuseBox(parent, share, TextOf(PortfolioText::BadShare));
        return std::nullopt;
    }
    limits.maxShare = *s / 100;

    const std::string least = TypedDecimal(leastYtm->text()).toStdString();
    if (!Trim(least).empty()) {
        const std::optional<double> y = ReadDecimal(least);
        if (!y || !std::isfinite(*y)) {
            RefuseBox(parent, leastYtm, TextOf(PortfolioText::BadLeastYtm));
            return std::nullopt;
        }
        limits.minYtm = *y / 100;
    }
    return limits;
}

} // namespace tenvix::ui
