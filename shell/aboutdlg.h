#pragma once

// The About box: version, the maker's notice and a contact link that opens
// the user's mail program. The link shows blue until a click has opened the
// mail program, purple after that, and blue again after a click that failed;
// the colour is the outcome of the last click in this process.

#include <QDialog>
#include <QLabel>

namespace tenvix::ui {

inline const char* const kContactAddress = "tenvix@quellmark.example";

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);
    // The colour the link is drawn in now.
    static QColor LinkColor();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    LinkLabel* Link() const { return m_pLink; }

    // Opens "mailto:" and the contact address; remembers the outcome.
    void OnLinkClicked();

    // The outcome of the most recent click, for the whole process.
    static bool LinkVisited();
    static void SetLinkVisited(bool visited);

private:
    LinkLabel* m_pLink;
};

} // namespace tenvix::ui
