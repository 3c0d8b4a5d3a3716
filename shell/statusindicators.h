#pragma once

// The status bar's "CAP", "NUM" and "SCRL": each shows its text while its
// lock key is on. The toolkit has no portable query for lock keys, so the
// state is read from the keyboard events that pass through the program: the
// X11 modifier mask of each key event where there is one, and the lock keys'
// own presses everywhere.

#include <QList>
#include <QObject>

class QLabel;
class QWidget;

namespace tenvix::ui {

class StatusIndicators : public QObject {
    Q_OBJECT
public:
    explicit StatusIndicators(QWidget* statusBar);

    QList<QLabel*> Labels() const { return {m_pCap, m_pNum, m_pScrl}; }
    void SetStates(bool caps, bool num, bool scroll);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_pCap;
    QLabel* m_pNum;
    QLabel* m_pScrl;
    bool m_bCaps = false;
    bool m_bNum = false;
    bool m_bScroll = false;
};

} // namespace tenvix::ui
