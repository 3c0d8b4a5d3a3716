#pragma once

// Push buttons as every window makes them: the text with its key, the object
// name that tests and settings know the button by, and its tooltip.

#include <QPushButton>

namespace tenvix::ui {

inline QPushButton* MakeButton(QWidget* parent, const QString& text, const char* name, const QString& tip = {})
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

} // namespace tenvix::ui
