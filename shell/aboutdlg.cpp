#include "shell/aboutdlg.h"

#include "uikit/resources.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tenvix::ui {

namespace {
bool g_bLinkVisited = false;
}

bool CAboutDlg::LinkVisited() { return g_bLinkVisited; }
void CAboutDlg::SetLinkVisited(bool visited) { g_bLinkVisited = visited; }

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    // Reachable by Tab and clicked with Space, like any other link.
    setFocusPolicy(Qt::TabFocus);
}

QColor LinkLabel::LinkColor() { return g_bLinkVisited ? QColor(128, 0, 128) : QColor(0, 0, 255); }

void LinkLabel::paintEvent(QPaintEvent* event)
{
    // The colour follows the flag each time the link is drawn; a click
    // itself forces no redraw.
    QPalette p = palette();
    p.setColor(QPalette::WindowText, LinkColor());
    if (p != palette())
        setPalette(p);
    QLabel::paintEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    InitResources();
    setWindowTitle(QStringLiteral("About tenvix"));
    setObjectName(QStringLiteral("AboutDlg"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/app.png")).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* version = new QLabel(QStringLiteral("tenvix Version 2.04.1"), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* notice = new QLabel(QStringLiteral("Copyright (C) Quellmark"), this);
    notice->setObjectName(QStringLiteral("Notice"));
    m_pLink = new LinkLabel(QString::fromLatin1(kContactAddress), this);
    m_pLink->setObjectName(QStringLiteral("ContactLink"));
    connect(m_pLink, &LinkLabel::clicked, this, &CAboutDlg::OnLinkClicked);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Icon on the left, the three lines beside it, OK at the top right.
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(14);
    grid->addWidget(icon, 0, 0, 4, 1);
    grid->addWidget(version, 0, 1);
    grid->addWidget(notice, 1, 1);
    grid->addWidget(m_pLink, 2, 1, Qt::AlignLeft);
    grid->addWidget(ok, 0, 2, Qt::AlignTop);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
    ok->setFocus();
}

void CAboutDlg::OnLinkClicked()
{
    SetLinkVisited(QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kContactAddress))));
}

} // namespace tenvix::ui
