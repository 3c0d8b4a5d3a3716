#include "portfolio/digitsedit.h"

#include <QKeyEvent>

namespace tenvix::ui {

void DigitsEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !text.isEmpty() && text.at(0).isPrint()) {
        for (QChar c : text)
            if (c < u'0' || c > u'9') {
                event->accept(); // swallowed, as a digits-only box does
                return;
            }
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace tenvix::ui
