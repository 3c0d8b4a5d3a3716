#include "support/fakes.h"

#include <QEventLoop>
#include <QTest>

namespace tenvix::test {

ui::MsgAnswer FakeMessages::Show(QWidget*, const QString& text, const QString& caption, ui::MsgIcon icon,
                                 ui::MsgButtons buttons)
{
    const ShownMessage m{text, caption, icon, buttons};
    shown.append(m);
    const bool question = buttons != ui::MsgButtons::Ok;
    ui::MsgAnswer a = ui::MsgAnswer::Ok;
    if (question && m_answers.empty()) {
        QTest::qFail(qPrintable("unexpected question: " + text), __FILE__, __LINE__);
        a = buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::No : ui::MsgAnswer::Cancel;
    } else if (question) {
        a = m_answers.front();
        m_answers.pop_front();
    }
    Wait(question);
    return a;
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
