#pragma once

// Test doubles for the seams: message boxes that record what they were asked
// and answer from a script, file choosers that return prepared paths, and a
// clock moved by hand. Install them in init(), remove them in cleanup().

#include "model/clock.h"
#include "uikit/services.h"

#include <QList>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <optional>
#include <variant>

namespace tenvix::test {

struct ShownMessage {
    QString text;
    QString caption;
    ui::MsgIcon icon;
    ui::MsgButtons buttons;
    QStringList choices; // the buttons' names of a Choose question
};

// Answers at once, without an event loop of its own.
class FakeMessages : public ui::MessageSeam {
public:
    FakeMessages() { ui::InstallMessages(this); }
    ~FakeMessages() override { ui::InstallMessages(nullptr); }

    ui::MsgAnswer Show(QWidget* parent, const QString& text, const QString& caption, ui::MsgIcon icon,
                       ui::MsgButtons buttons) override;
    int Choose(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons) override;

    // Answers for the next questions, in order; an Ok box needs none. A
    // question with no answer left fails the test and gets Cancel (or No).
    void Answer(ui::MsgAnswer a) { m_answers.push_back(a); }
    // The answer to a Choose question: the button of this name. A Choose
    // met with an answer for Show, or the reverse, fails the test, and so
    // does a name the question has not.
    void Choose(const QString& button) { m_answers.push_back(button); }
    QList<ShownMessage> shown;
    const ShownMessage& Last() const { return shown.constLast(); }
    QStringList Texts() const;
    void Clear() { shown.clear(); }

protected:
    // What the box does while it is up, once its answer is known.
    virtual void Wait(bool /*question*/) {}

private:
    // The next answer, or nothing (the test failed) when none is left or it
    // is of the other kind.
    template <class T>
    std::optional<T> Next(const QString& text);
    std::deque<std::variant<ui::MsgAnswer, QString>> m_answers;
};

// A box that stays up as a real one does: it runs a nested event loop until
// it has its answer, so whatever the program receives meanwhile (a second
// start, a drop, a queued call) is handled while the box is open. A step of
// the script can act inside that loop before the box answers.
class NestedMessages final : public FakeMessages {
public:
    // The next question runs `during` inside its loop, lets what that set
    // going be handled, and then answers `a`. Ok boxes run their loop too,
    // without a step of their own.
    void Answer(ui::MsgAnswer a, std::function<void()> during = {})
    {
        FakeMessages::Answer(a);
        m_during.push_back(std::move(during));
    }
    void Choose(const QString& button, std::function<void()> during = {})
    {
        FakeMessages::Choose(button);
        m_during.push_back(std::move(during));
    }
    // The seam's question with named buttons, as the base answers it; named
    // here, not brought in by a using-declaration, so that the script's
    // Choose above neither hides it nor makes a call of one name ambiguous.
    int Choose(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons) override
    {
        return FakeMessages::Choose(parent, text, caption, buttons);
    }

protected:
    void Wait(bool question) override;

private:
    std::deque<std::function<void()>> m_during;
};

class FakeFileChooser final : public ui::FileChooserSeam {
public:
    FakeFileChooser() { ui::InstallFileChooser(this); }
    ~FakeFileChooser() override { ui::InstallFileChooser(nullptr); }

    QString ChooseOpen(QWidget*, const ui::FileChoice& choice) override { return Next(choice, false); }
    QString ChooseSave(QWidget*, const ui::FileChoice& choice) override { return Next(choice, true); }

    // Paths for the next choosers, in order; an empty path is a Cancel.
    void Answer(const QString& path) { m_paths.push_back(path); }

    struct Asked {
        ui::FileChoice choice;
        bool save;
    };
    QList<Asked> asked;

private:
    QString Next(const ui::FileChoice& choice, bool save);
    std::deque<QString> m_paths;
};

class FakeClock final : public Clock {
public:
    explicit FakeClock(double now = 46362.5) : m_dNow(now) { ui::InstallClock(this); }
    ~FakeClock() override { ui::InstallClock(nullptr); }
    // Read from worker threads too (the Market window's analysis).
    std::int64_t Milliseconds() const override { return m_nMs += m_nStep; }
    double Now() const override { return m_dNow; }
    void SetNow(double now) { m_dNow = now; }
    // Every read moves the clock on by this many milliseconds.
    void SetStep(std::int64_t ms) { m_nStep = ms; }

private:
    mutable std::atomic<std::int64_t> m_nMs = 0;
    std::atomic<std::int64_t> m_nStep = 0;
    double m_dNow;
};

} // namespace tenvix::test
