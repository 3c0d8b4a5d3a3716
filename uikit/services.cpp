#include "uikit/services.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace tenvix::ui {
namespace {

class RealMessages final : public MessageSeam {
public:
    MsgAnswer Show(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                   MsgButtons buttons) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        box.setIcon(icon == MsgIcon::Information ? QMessageBox::Information
                    : icon == MsgIcon::Question  ? QMessageBox::Question
                                                 : QMessageBox::Warning);
        switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        default:
            // Esc on a Yes/No box is a No; on an Ok box it is the Ok.
            return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
                   : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                                  : MsgAnswer::Cancel;
        }
    }
};

class RealFileChooser final : public FileChooserSeam {
public:
    QString ChooseOpen(QWidget* parent, const FileChoice& c) override
    {
        QFileDialog dialog(parent, c.caption, c.startPath);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return Run(dialog, c);
    }

    QString ChooseSave(QWidget* parent, const FileChoice& c) override
    {
        QFileDialog dialog(parent, c.caption, c.startPath);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!c.confirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        return Run(dialog, c);
    }

private:
    static QString Run(QFileDialog& dialog, const FileChoice& c)
    {
        if (!c.filters.isEmpty())
            dialog.setNameFilters(c.filters);
        dialog.setDefaultSuffix(c.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
};

RealMessages g_realMessages;
RealFileChooser g_realChooser;
MessageSeam* g_messages = &g_realMessages;
FileChooserSeam* g_chooser = &g_realChooser;
const Clock* g_clock = nullptr;

// What the windows call: the installed seam, inside a counted scope, so that
// a fake counts as the real box would.
class CountedMessages final : public MessageSeam {
public:
    MsgAnswer Show(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                   MsgButtons buttons) override
    {
        const NestedLoopScope scope;
        return g_messages->Show(parent, text, caption, icon, buttons);
    }
};

class CountedFileChooser final : public FileChooserSeam {
public:
    QString ChooseOpen(QWidget* parent, const FileChoice& choice) override
    {
        const NestedLoopScope scope;
        return g_chooser->ChooseOpen(parent, choice);
    }
    QString ChooseSave(QWidget* parent, const FileChoice& choice) override
    {
        const NestedLoopScope scope;
        return g_chooser->ChooseSave(parent, choice);
    }
};

CountedMessages g_countedMessages;
CountedFileChooser g_countedChooser;

} // namespace

NestedLoopScope::NestedLoopScope() { ++NestedLoops::Instance().m_nDepth; }

NestedLoopScope::~NestedLoopScope()
{
    NestedLoops& loops = NestedLoops::Instance();
    if (--loops.m_nDepth == 0)
        emit loops.Settled();
}

NestedLoops& NestedLoops::Instance()
{
    static NestedLoops loops;
    return loops;
}

bool NestedLoops::Running() { return Instance().Depth() > 0 || QApplication::activeModalWidget() != nullptr; }

int ExecModal(QDialog& dialog)
{
    const NestedLoopScope scope;
    return dialog.exec();
}

MessageSeam& Messages() { return g_countedMessages; }
FileChooserSeam& FileChooser() { return g_countedChooser; }
const Clock& UiClock() { return g_clock ? *g_clock : SystemClock(); }

void InstallMessages(MessageSeam* seam) { g_messages = seam ? seam : &g_realMessages; }
void InstallFileChooser(FileChooserSeam* seam) { g_chooser = seam ? seam : &g_realChooser; }
void InstallClock(const Clock* clock) { g_clock = clock; }

void ShowError(QWidget* parent, const QString& text)
{
    Messages().Show(parent, text, QStringLiteral("Error"), MsgIcon::Exclamation, MsgButtons::Ok);
}

void ShowWarning(QWidget* parent, const QString& text)
{
    Messages().Show(parent, text, QString::fromLatin1(kAppName), MsgIcon::Exclamation, MsgButtons::Ok);
}

void ShowNotice(QWidget* parent, const QString& text)
{
    Messages().Show(parent, text, QString::fromLatin1(kAppName), MsgIcon::Information, MsgButtons::Ok);
}

void ShowInformation(QWidget* parent, const QString& text)
{
    Messages().Show(parent, text, QStringLiteral("Information"), MsgIcon::Information, MsgButtons::Ok);
}

void ShowResult(QWidget* parent, const QString& text)
{
    Messages().Show(parent, text, QStringLiteral("Result"), MsgIcon::Information, MsgButtons::Ok);
}

bool AskYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    return Messages().Show(parent, text, caption, MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

MsgAnswer AskYesNoCancel(QWidget* parent, const QString& text, const QString& caption)
{
    return Messages().Show(parent, text, caption, MsgIcon::Question, MsgButtons::YesNoCancel);
}

} // namespace tenvix::ui
