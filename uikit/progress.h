#pragma once

// Long work on the user's thread, with a window that shows how far it has
// come and a Cancel. The work reports its steps; for the first moments no
// event is let through, so that short work shows nothing and nothing can
// happen meanwhile; from then on a modal window shows the progress and the
// events are let through a few dozen times a second. The whole run counts as
// a nested loop, so nothing replaces the bond list while it lasts.

#include "model/clock.h"
#include "uikit/services.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

namespace tenvix::ui {

class ProgressRun {
public:
    // How long the work runs unseen, and then how often events go through.
    static constexpr std::int64_t kShowAfterMs = 300;
    static constexpr std::int64_t kPumpIntervalMs = 40;

    ProgressRun(QWidget* parent, const QString& label);
    ~ProgressRun();
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;

    // `done` of `total` steps are behind; false once the user has cancelled,
    // and the work should then stop.
    bool Step(std::size_t done, std::size_t total);
    bool Cancelled() const { return m_bCancelled; }

private:
    const NestedLoopScope m_scope;
    QWidget* m_pParent;
    QString m_strLabel;
    ThrottledPump m_pump; // first when the window shows, then when events go through
    bool m_bCancelled = false;
    std::unique_ptr<QProgressDialog> m_dlg;
};

} // namespace tenvix::ui
