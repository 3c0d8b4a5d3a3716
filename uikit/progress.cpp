#include "uikit/progress.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

#include <algorithm>

namespace tenvix::ui {

namespace {
constexpr int kScale = 1000;
}

ProgressRun::ProgressRun(QWidget* parent, const QString& label)
    : m_pParent(parent), m_strLabel(label), m_pump(UiClock(), kShowAfterMs)
{
}

ProgressRun::~ProgressRun() = default;

bool ProgressRun::Step(std::size_t done, std::size_t total)
{
    if (m_bCancelled)
        return false;
    if (!m_pump.Due())
        return true;
    if (!m_dlg) {
        m_pump.SetInterval(kPumpIntervalMs);
        m_dlg = std::make_unique<QProgressDialog>(m_strLabel, QStringLiteral("Cancel"), 0, kScale, m_pParent);
        m_dlg->setObjectName(QStringLiteral("progressDlg"));
        m_dlg->setWindowTitle(QString::fromLatin1(kAppName));
        // The bar's percentage in ASCII digits, whatever the locale.
        m_dlg->setLocale(QLocale::c());
        m_dlg->setWindowModality(Qt::ApplicationModal);
        m_dlg->setAutoClose(false);
        m_dlg->setAutoReset(false);
        m_dlg->setMinimumDuration(0);
        QObject::connect(m_dlg.get(), &QProgressDialog::canceled, [this] { m_bCancelled = true; });
        m_dlg->show();
    }
    const double share = total ? static_cast<double>(std::min(done, total)) / static_cast<double>(total) : 0.0;
    m_dlg->setValue(static_cast<int>(share * kScale));
    QCoreApplication::processEvents();
    return !m_bCancelled;
}

} // namespace tenvix::ui
