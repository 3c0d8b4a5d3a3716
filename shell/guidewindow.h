#pragma once

// The user guide, docs/GUIDE.md with its pictures, shown as the help window.
// The guide is compiled into the program, so the window shows the guide of
// the program that runs, from the build tree and the installed package alike.

#include <QDialog>
#include <QHash>
#include <QSize>

class QTextBrowser;

namespace tenvix::ui {

class GuideWindow : public QDialog {
    Q_OBJECT
public:
    explicit GuideWindow(QWidget* parent = nullptr);

    QTextBrowser* Browser() const { return m_pText; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pictures as wide as the text, or as they are where they are
    // narrower; kept so on every resize.
    void FitPictures();
    QSize NaturalSize(const QString& name);

    QTextBrowser* m_pText = nullptr;
    QHash<QString, QSize> m_natural;
};

} // namespace tenvix::ui
