#pragma once

// The identifier's typing limit. A file may hold a longer identifier than
// anyone can type; it is shown and saved whole. Editing may shorten it, but no
// edit makes a text longer than the limit that the field did not hold before,
// so undo still brings back what was there.

#include <QSet>
#include <QString>
#include <QValidator>

class QLineEdit;

namespace tenvix::ui {

class IdLimit final : public QValidator {
public:
    static constexpr int kMaxChars = 15;

    explicit IdLimit(QLineEdit* field);

    // Before a stored text goes into the field: it is allowed whole.
    void Allow(const QString& stored);

    State validate(QString& input, int& pos) const override;

private:
    void Held(const QString& text);

    qsizetype m_lastLength = 0;
    QSet<QString> m_held; // longer than the limit, held since the record was shown
};

} // namespace tenvix::ui
