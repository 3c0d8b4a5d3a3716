#pragma once

// The user guide, docs/GUIDE.md with its pictures, shown as the help window.
// The guide is compiled into the program, so the window shows the guide of
// the program that runs, from the build tree and the installed package alike.

#include <QDialog>

class QTextBrowser;

namespace tenvix::ui {

class GuideWindow : public QDialog {
    Q_OBJECT
public:
    explicit GuideWindow(QWidget* parent = nullptr);

    QTextBrowser* Browser() const { return m_pText; }

private:
    QTextBrowser* m_pText = nullptr;
};

} // namespace tenvix::ui
