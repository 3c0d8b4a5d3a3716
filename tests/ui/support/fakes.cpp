#include "support/fakes.h"

#include <QTest>

namespace tenvix::test {

ui::MsgAnswer FakeMessages::Show(QWidget*, const QString& text, const QString& caption, ui::MsgIcon icon,
                                 ui::MsgButtons buttons)
{
    const ShownMessage m{text, caption, icon, buttons};
    shown.append(m);
    if (buttons == ui::MsgButtons::Ok)
        return ui::MsgAnswer::Ok;
    if (m_answers.empty()) {
        QTest::qFail(qPrintable("unexpected question: " + text), __FILE__, __LINE__);
        return buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::No : ui::MsgAnswer::Cancel;
    }
    const ui::MsgAnswer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

QStringList FakeMessages::Texts() const
{
    QStringList texts;
    for (const ShownMessage& m : shown)
        texts << m.text;
    return texts;
}

QString FakeFileChooser::Next(const ui::FileChoice& choice, bool save)
{
    asked.append({choice, save});
    if (m_paths.empty())
        return {};
    QString p = m_paths.front();
    m_paths.pop_front();
    return p;
}

} // namespace tenvix::test
