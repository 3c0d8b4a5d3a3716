#include "portfolio/immunizedlg.h"

#include "model/numbers.h"
#include "model/text.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/digitsedit.h"
#include "portfolio/entrylayout.h"
#include "uikit/services.h"
#include "uikit/typeddecimal.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace tenvix::ui {
namespace {

// Room for many identifiers.
constexpr int kMaxExcludeChars = 4000;

} // namespace

ImmunizeDialog::ImmunizeDialog(const ImmunizeEntries& entries, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Immunize"));
    setObjectName(QStringLiteral("immunizeDlg"));

    m_wndAmount = EntryBox(new QLineEdit(this), "amount", entries.amount);
    m_wndRows = EntryBox(new DigitsEdit(this), "rows", entries.rows);
    m_wndShare = EntryBox(new QLineEdit(this), "share", entries.share);
    m_wndLeastYtm = EntryBox(new QLineEdit(this), "leastYtm", entries.leastYtm);
    // Identifiers are longer than figures, and a list of them longer still.
    m_wndExclude = EntryBox(new QLineEdit(this), "exclude", QString());
    m_wndExclude->setMaxLength(kMaxExcludeChars);
    m_wndExclude->setText(entries.exclude);
    m_wndExclude->setFixedWidth(m_wndExclude->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 32);
    m_wndExclude->setToolTip(QStringLiteral("Identifiers of bonds to leave out, separated by commas"));

    auto* fields = new QGridLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {{"&Amount", m_wndAmount},
                                                       {"Most &rows", m_wndRows},
                                                       {"Most &share in %", m_wndShare},
                                                       {"Least &YTM in %", m_wndLeastYtm},
                                                       {"&Leave out", m_wndExclude}};
    int r = 0;
    for (const auto& [text, box] : rows) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setBuddy(box);
        fields->addWidget(label, r, 0);
        fields->addWidget(box, r, 1);
        ++r;
    }
    fields->setRowStretch(r, 1);

    LayOutEntryDialog(this, fields);
    m_wndAmount->setFocus();
}

void ImmunizeDialog::accept()
{
    ImmunizeLimits limits;
    const QString amount = TypedDecimal(m_wndAmount->text());
    const std::optional<double> a = ReadDecimal(amount.toStdString());
    // An empty box reads as 0, which is refused too: the amount is required.
    if (!a || !(*a > 0) || !std::isfinite(*a)) {
        RefuseBox(this, m_wndAmount, TextOf(PortfolioText::BadAmount));
        return;
    }
    limits.amount = *a;

    const std::optional<SharedLimits> shared = ReadSharedLimits(this, m_wndRows, m_wndShare, m_wndLeastYtm);
    if (!shared)
        return;
    limits.maxRows = shared->maxRows;
    limits.maxShare = shared->maxShare;
    limits.minYtm = shared->minYtm;
    const QString rows = m_wndRows->text();
    const QString share = TypedDecimal(m_wndShare->text());
    const QString leastYtm = TypedDecimal(m_wndLeastYtm->text());

    // Identifiers as tenvix-cli immunize --exclude reads them; each bond is
    // compared without regard to case.
    const QString exclude = m_wndExclude->text();
    limits.exclude = SplitIdentifiers(exclude.toStdString());

    m_result = ImmunizeChoice{{amount, rows, share, leastYtm, exclude}, limits};
    QDialog::accept();
}

} // namespace tenvix::ui
