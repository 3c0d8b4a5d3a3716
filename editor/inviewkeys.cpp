// The record form's keys and the Edit menu: the form's mnemonics win over
// the menu bar's while the focus is inside it, the tabs turn with
// Ctrl+PgDn and Ctrl+PgUp, and Copy, Cut, Paste and Undo act on whichever
// text field has the focus.

#include "editor/inview.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>

namespace tenvix::ui {

namespace {

bool IsAltOnly(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    return (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier));
}

bool IsAltLetter(const QKeyEvent& key) { return IsAltOnly(key) && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z; }

} // namespace

QWidget* CInView::MnemonicTarget(const QKeyEvent& key, bool* click) const
{
    if (!IsAltOnly(key))
        return nullptr;
    QChar ch;
    if (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        ch = QChar(u'A' + (key.key() - Qt::Key_A));
    else if (key.key() == Qt::Key_Less)
        ch = u'<';
    else
        return nullptr;
    for (const Mnemonic& m : m_mnemonics) {
        // A hidden or disabled control leaves its key to whoever else has it.
        if (m.key == ch && m.target->isVisible() && m.target->isEnabled()) {
            *click = m.click;
            return m.target;
        }
    }
    return nullptr;
}

bool CInView::eventFilter(QObject* watched, QEvent* event)
{
    // The form's keys win over the menu bar's only while the focus is inside
    // the form: the shortcut is claimed before the menu sees it, and the key
    // then arrives here as an ordinary key press.
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w == QApplication::focusWidget() && isAncestorOf(w)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // The tabs take no focus, so the keyboard turns them the way
            // tabbed pages usually turn: Ctrl+PgDn and Ctrl+PgUp.
            if (key->modifiers() == Qt::ControlModifier &&
                (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp)) {
                event->accept();
                if (type == QEvent::KeyPress)
                    m_wndTabs->setCurrentIndex(key->key() == Qt::Key_PageDown ? 1 : 0);
                return true;
            }
            bool click = false;
            if (QWidget* target = MnemonicTarget(*key, &click)) {
                event->accept();
                if (type == QEvent::KeyPress) {
                    target->setFocus(Qt::ShortcutFocusReason);
                    if (click)
                        static_cast<QPushButton*>(target)->click();
                }
                return true;
            }
            // An Alt+letter nobody claims is a key, not text: it must not
            // type into the field that has the focus.
            if (type == QEvent::KeyPress && IsAltLetter(*key))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CInView::WatchFocusedField()
{
    // Copy and Cut follow the selection, Undo the text, of whichever field
    // has the focus now.
    disconnect(m_watchSelection);
    disconnect(m_watchText);
    if (QLineEdit* line = FocusedTextField()) {
        m_watchSelection = connect(line, &QLineEdit::selectionChanged, this, &CInView::EditStateChanged);
        m_watchText = connect(line, &QLineEdit::textChanged, this, &CInView::EditStateChanged);
    }
    emit EditStateChanged();
}

QLineEdit* CInView::FocusedTextField() const
{
    QWidget* w = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line;
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        return spin->findChild<QLineEdit*>();
    return nullptr;
}

bool CInView::CanEditCopy() const
{
    const QLineEdit* line = FocusedTextField();
    return line && line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
}

bool CInView::CanEditCut() const
{
    const QLineEdit* line = FocusedTextField();
    return CanEditCopy() && !line->isReadOnly();
}

bool CInView::CanEditPaste() const
{
    const QLineEdit* line = FocusedTextField();
    if (!line || line->isReadOnly())
        return false;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool CInView::CanEditUndo() const
{
    const QLineEdit* line = FocusedTextField();
    return line && !line->isReadOnly() && line->isUndoAvailable();
}

void CInView::OnEditCopy()
{
    if (CanEditCopy())
        FocusedTextField()->copy();
}

void CInView::OnEditCut()
{
    if (CanEditCut())
        FocusedTextField()->cut();
}

void CInView::OnEditPaste()
{
    if (CanEditPaste())
        FocusedTextField()->paste();
}

void CInView::OnEditUndo()
{
    if (CanEditUndo())
        FocusedTextField()->undo();
}

} // namespace tenvix::ui
