#include "portfolio/addbonddlg.h"

#include "model/numbers.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/digitsedit.h"
#include "portfolio/entrylayout.h"
#include "uikit/services.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tenvix::ui {
namespace {

constexpr int kMaxIdChars = 15;
constexpr int kMaxUnitsChars = 11;
// At most this much of the units text is read, more than the box can hold.
constexpr int kUnitsReadChars = 14;
constexpr double kMaxUnits = 1e12;

} // namespace

CAddBondDlg::CAddBondDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Add Bond by ID"));
    setObjectName(QStringLiteral("addBondDlg"));

    m_wndID = new QLineEdit(this);
    m_wndID->setObjectName(QStringLiteral("id"));
    m_wndID->setMaxLength(kMaxIdChars);
    m_wndUnits = new DigitsEdit(this);
    m_wndUnits->setObjectName(QStringLiteral("units"));
    m_wndUnits->setMaxLength(kMaxUnitsChars);
    const int boxWidth = m_wndID->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14;
    m_wndID->setFixedWidth(boxWidth);
    m_wndUnits->setFixedWidth(boxWidth);

    auto* idLabel = new QLabel(QStringLiteral("&ID"), this);
    idLabel->setBuddy(m_wndID);
    auto* unitsLabel = new QLabel(QStringLiteral("&Units"), this);
    unitsLabel->setBuddy(m_wndUnits);

    auto* fields = new QGridLayout;
    fields->addWidget(idLabel, 0, 0);
    fields->addWidget(m_wndID, 0, 1);
    fields->setRowMinimumHeight(1, 12);
    fields->addWidget(unitsLabel, 2, 0);
    fields->addWidget(m_wndUnits, 2, 1);
    fields->setRowStretch(3, 1);

    LayOutEntryDialog(this, fields);
    m_wndID->setFocus();
}

void CAddBondDlg::accept()
{
    const std::string units = m_wndUnits->text().left(kUnitsReadChars).toStdString();
    const std::optional<double> value = ReadDecimal(units);
    if (!value || *value < 0 || *value > kMaxUnits) {
        ShowError(this, QString::fromLatin1(TextOf(PortfolioText::BadUnits)));
        m_wndUnits->setFocus();
        return;
    }
    m_dUnits = *value;
    m_strBondID = m_wndID->text().trimmed();
    if (m_strBondID.isEmpty()) {
        ShowError(this, QString::fromLatin1(TextOf(PortfolioText::EmptyId)));
        m_wndID->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace tenvix::ui
