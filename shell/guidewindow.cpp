#include "shell/guidewindow.h"

#include <QBuffer>
#include <QEvent>
#include <QImageReader>
#include <QPixmap>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

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
    m_pText->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pText);
    resize(820, 720);
    FitPictures();
}

bool GuideWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pText->viewport() && event->type() == QEvent::Resize)
        FitPictures();
    return QDialog::eventFilter(watched, event);
}

QSize GuideWindow::NaturalSize(const QString& name)
{
    auto known = m_natural.constFind(name);
    if (known != m_natural.constEnd())
        return *known;
    const QVariant resource = m_pText->loadResource(QTextDocument::ImageResource, QUrl(name));
    QSize size;
    if (resource.typeId() == QMetaType::QByteArray) {
        QByteArray bytes = resource.toByteArray();
        QBuffer buffer(&bytes);
        size = QImageReader(&buffer).size();
    } else if (resource.typeId() == QMetaType::QImage) {
        size = resource.value<QImage>().size();
    } else if (resource.typeId() == QMetaType::QPixmap) {
        size = resource.value<QPixmap>().size();
    }
    m_natural.insert(name, size);
    return size;
}

void GuideWindow::FitPictures()
{
    // The width a paragraph has, less a little for the frame's own margins;
    // a picture wider than that is drawn smaller as a whole, never larger
    // than it is.
    QTextDocument* doc = m_pText->document();
    const qreal room = std::max<qreal>(m_pText->viewport()->width() - 2 * doc->documentMargin() - 4, 32);
    QTextCursor cursor(doc);
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QSize natural = NaturalSize(image.name());
            if (natural.isEmpty())
                continue;
            const qreal width = std::min<qreal>(natural.width(), room);
            const qreal height = width * natural.height() / natural.width();
            if (image.width() == width && image.height() == height)
                continue;
            image.setWidth(width);
            image.setHeight(height);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
}

} // namespace tenvix::ui
