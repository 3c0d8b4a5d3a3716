#include "shell/statusindicators.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>

namespace tenvix::ui {

namespace {
// The X11 modifier bits of the two lock keys that have fixed ones.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumMask = 0x10;

QLabel* MakeIndicator(QWidget* parent, const QString& text, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setProperty("indicatorText", text);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    // The pane keeps its width whether the text shows or not.
    l->setMinimumWidth(QFontMetrics(l->font()).horizontalAdvance(text) + 10);
    return l;
}
} // namespace

StatusIndicators::StatusIndicators(QWidget* statusBar)
    : QObject(statusBar),
      m_pCap(MakeIndicator(statusBar, QStringLiteral("CAP"), "IndicatorCaps")),
      m_pNum(MakeIndicator(statusBar, QStringLiteral("NUM"), "IndicatorNum")),
      m_pScrl(MakeIndicator(statusBar, QStringLiteral("SCRL"), "IndicatorScroll"))
{
    qApp->installEventFilter(this);
    SetStates(false, false, false);
}

void StatusIndicators::SetStates(bool caps, bool num, bool scroll)
{
    m_bCaps = caps;
    m_bNum = num;
    m_bScroll = scroll;
    m_pCap->setText(caps ? m_pCap->property("indicatorText").toString() : QString());
    m_pNum->setText(num ? m_pNum->property("indicatorText").toString() : QString());
    m_pScrl->setText(scroll ? m_pScrl->property("indicatorText").toString() : QString());
}

bool StatusIndicators::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Each event reaches the filter once per widget on its way; a repeat of
    // the same event must not toggle twice, so only the first target counts.
    if (!watched->isWidgetType() || watched != QApplication::focusWidget())
        return QObject::eventFilter(watched, event);

    bool caps = m_bCaps;
    bool num = m_bNum;
    bool scroll = m_bScroll;
    const bool x11 = QGuiApplication::platformName() == u"xcb";
    if (x11) {
        // The mask tells the state before this event; a lock key's release
        // carries the new one.
        const bool isLockPress =
            event->type() == QEvent::KeyPress && (key->key() == Qt::Key_CapsLock || key->key() == Qt::Key_NumLock);
        if (!isLockPress) {
            caps = key->nativeModifiers() & kX11LockMask;
            num = key->nativeModifiers() & kX11NumMask;
        }
    } else if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
        if (key->key() == Qt::Key_CapsLock)
            caps = !caps;
        else if (key->key() == Qt::Key_NumLock)
            num = !num;
    }
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat() && key->key() == Qt::Key_ScrollLock)
        scroll = !scroll;
    if (caps != m_bCaps || num != m_bNum || scroll != m_bScroll)
        SetStates(caps, num, scroll);
    return QObject::eventFilter(watched, event);
}

} // namespace tenvix::ui
