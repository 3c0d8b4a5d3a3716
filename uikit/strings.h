#pragma once

// The core speaks UTF-8 in std::string, the widgets QString: the two
// conversions every window makes.

#include <QString>

#include <string>

namespace tenvix::ui {

inline QString Qs(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string Std(const QString& text) { return text.toStdString(); }

} // namespace tenvix::ui
