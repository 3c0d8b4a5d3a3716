#include "support/fakes.h"

#include <QEventLoop>
#include <QTest>

namespace tenvix::test {

template <class T>
std::optional<T> FakeMessages::Next(const QString& text)
{
    if (m_answers.empty()) {
        QTest::qFail(qPrintable("unexpected question: " + text), __FILE__, __LINE__);
        return std::nullopt;
    }
    const auto next = m_answers.front();
    m_answers.pop_front();
    if (!std::holds_alternative<T>(next)) {
        QTest::qFail(qPrintable("a question answered as another kind: " + text), __FILE__, __LINE__);
        return std::nullopt;
    }
    return std::get<T>(next);
}

ui::MsgAnswer FakeMessages::Show(QWidget*, const QString& text, const QString& caption, ui::MsgIcon icon,
                                 ui::MsgButtons buttons)
{
    shown.append({text, caption, icon, buttons, {}});
    const bool question = buttons != ui::MsgButtons::Ok;
    ui::MsgAnswer a = ui::MsgAnswer::Ok;
    if (question) {
        const auto next = Next<ui::MsgAnswer>(text);
        a = next ? *next : buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::No : ui::MsgAnswer::Cancel;
    }
    Wait(question);
    return a;
}

int FakeMessages::Choose(QWidget*, const QString& text, const QString& caption, const QStringList& buttons)
{
    shown.append({text, caption, ui::MsgIcon::Question, ui::MsgButtons::Named, buttons});
    // As Esc does: the last button.
    int chosen = static_cast<int>(buttons.size()) - 1;
    if (const auto name = Next<QString>(text)) {
        if (buttons.contains(*name))
            chosen = static_cast<int>(buttons.indexOf(*name));
        else
            QTest::qFail(qPrintable("no button " + *name + " in: " + text), __FILE__, __LINE__);
    }
    Wait(true);
    return chosen;
}

void NestedMessages::Wait(bool question)
{
    std::function<void()> during;
    if (question && !m_during.empty()) {
        during = std::move(m_during.front());
        m_during.pop_front();
    }
    QEventLoop loop;
    // The step runs from inside the loop. What it posts is handled before
    // the box goes: the quit goes to the back of the queue, twice, so that
    // a call that posts another one still gets its turn.
    QMetaObject::invokeMethod(
        &loop,
        [&loop, &during] {
            if (during)
                during();
            QMetaObject::invokeMethod(
                &loop, [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    loop.exec();
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
