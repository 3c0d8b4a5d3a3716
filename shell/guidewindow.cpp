#include "shell/guidewindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// A static library registers its resources only when asked, and only from
// outside any namespace.
static void InitGuideResource() { Q_INIT_RESOURCE(guide); }

namespace tenvix::ui {

GuideWindow::GuideWindow(QWidget* parent) : QDialog(parent, Qt::Window)
{
    InitGuideResource();
    setObjectName(QStringLiteral("GuideWindow"));
    setWindowTitle(QStringLiteral("User Guide"));
    m_pText = new QTextBrowser(this);
    m_pText->setObjectName(QStringLiteral("guideText"));
    // A link to the web opens in the desktop's browser.
    m_pText->setOpenExternalLinks(true);
    m_pText->setSource(QUrl(QStringLiteral("qrc:/guide/GUIDE.md")), QTextDocument::MarkdownResource);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pText);
    resize(820, 720);
}

} // namespace tenvix::ui
