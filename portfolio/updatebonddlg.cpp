#include "portfolio/updatebonddlg.h"

#include "model/numbers.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/digitsedit.h"
#include "portfolio/entrylayout.h"
#include "uikit/services.h"
#include "uikit/typeddecimal.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace tenvix::ui {
namespace {

constexpr int kMaxUnitsChars = 11;
constexpr double kMinPrice = 0.0001;
constexpr double kMaxPrice = 1e18;

} // namespace

CUpdateBondDlg::CUpdateBondDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Update bond"));
    setObjectName(QStringLiteral("updateBondDlg"));

    m_wndUnits = new DigitsEdit(this);
    m_wndUnits->setObjectName(QStringLiteral("units"));
    m_wndUnits->setMaxLength(kMaxUnitsChars);
    m_wndPrice = new QLineEdit(this);
    m_wndPrice->setObjectName(QStringLiteral("price"));
    const int boxWidth = m_wndUnits->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 13;
    m_wndUnits->setFixedWidth(boxWidth);
    m_wndPrice->setFixedWidth(boxWidth);

    auto* unitsLabel = new QLabel(QStringLiteral("&Units"), this);
    unitsLabel->setBuddy(m_wndUnits);
    auto* priceLabel = new QLabel(QStringLiteral("&Price"), this);
    priceLabel->setBuddy(m_wndPrice);

    auto* fields = new QGridLayout;
    fields->setRowMinimumHeight(0, 6);
    fields->addWidget(unitsLabel, 1, 0);
    fields->addWidget(m_wndUnits, 1, 1);
    fields->setRowMinimumHeight(2, 10);
    fields->addWidget(priceLabel, 3, 0);
    fields->addWidget(m_wndPrice, 3, 1);
    fields->setRowStretch(4, 1);

    LayOutEntryDialog(this, fields);
}

void CUpdateBondDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        const QString units = m_pstrUnits ? *m_pstrUnits : QString();
        // A row loaded from a file can hold more digits than anyone could
        // type; showing them cut short would change the units on OK.
        m_wndUnits->setMaxLength(std::max(kMaxUnitsChars, static_cast<int>(units.size())));
        m_wndUnits->setText(units);
        m_wndPrice->setText(m_pstrPrice ? *m_pstrPrice : QString());
        m_wndUnits->setFocus();
        m_wndUnits->selectAll();
    }
    QDialog::showEvent(event);
}

void CUpdateBondDlg::accept()
{
    const QString units = m_wndUnits->text();
    if (m_pstrUnits)
        *m_pstrUnits = units;
    const std::optional<std::int32_t> whole = ReadWholeNumber(units.toStdString());
    if (!whole || *whole < 0) {
        ShowError(this, QString::fromLatin1(TextOf(PortfolioText::BadUnits)));
        m_wndUnits->setFocus();
        return;
    }
    // The window's cell keeps the text and reads it back with the full stop.
    const QString price = TypedDecimal(m_wndPrice->text());
    if (m_pstrPrice)
        *m_pstrPrice = price;
    const std::optional<double> value = ReadDecimal(price.toStdString());
    if (!value || !(*value >= kMinPrice && *value <= kMaxPrice)) {
        ShowError(this, QString::fromLatin1(TextOf(PortfolioText::BadPrice)));
        m_wndPrice->setFocus();
        return;
    }
    m_dPrice = *value;
    QDialog::accept();
}

} // namespace tenvix::ui
