#pragma once

// The per-user settings store: QSettings under organisation "Quellmark" and
// application "tenvix". Only what the program itself restores is kept there:
// the window rectangle and the Square-M flag, the bar layout, the list's
// width beside the form, the recent files, the portfolio window's Immunize
// and Fund schedule limits, and what the imports take a file's prices for. A
// missing or unreadable store simply yields the defaults.

#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace tenvix::ui {

inline const char* const kCompanyKey = "Quellmark";

// The store itself; each caller opens it for the moment it needs it.
std::unique_ptr<QSettings> OpenSettings();

QString GetProfileString(const QString& section, const QString& entry, const QString& fallback = {});
int GetProfileInt(const QString& section, const QString& entry, int fallback);
void WriteProfileString(const QString& section, const QString& entry, const QString& value);
void WriteProfileInt(const QString& section, const QString& entry, int value);

// "Settings"/"WindowPos": left, top, right, bottom and the Square-M flag.
struct WindowPos {
    QRect rect; // right and bottom exclusive, as stored
    int squareM = 0;
};

// Five decimal integers separated by commas, each optionally preceded by
// blanks and a sign; whatever follows the fifth is ignored. Anything else
// (fewer numbers, a blank before a comma, a number out of the int range) is
// not a position at all.
std::optional<WindowPos> ParseWindowPos(const QString& text);
QString FormatWindowPos(const QRect& rect, int squareM);

} // namespace tenvix::ui
