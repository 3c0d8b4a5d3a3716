#include "uikit/services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

#include <algorithm>

namespace tenvix::ui {
namespace {

// A box sizes itself to its text and buttons and leaves the caption to a
// title bar it cannot see, which then cuts a short caption ("E... r"). The
// title bar needs the caption, in a font that may be bold, beside the
// window's icon and up to three buttons, each taken as a square two lines of
// text high, with a line's room at either end.
int CaptionRoom(const QWidget& box, const QString& caption)
{
    QFont title = box.font();
    title.setBold(true);
    const QFontMetrics fm(title);
    const int room = fm.horizontalAdvance(caption) + (4 * 2 + 2) * fm.height();
    const QScreen* screen = box.screen();
    return screen ? std::min(room, screen->availableGeometry().width() * 3 / 4) : room;
}

// The box grows to the room through its own layout, which its sizing obeys.
void MakeRoomForCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = CaptionRoom(box, box.windowTitle()) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

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
        case MsgButtons::Named: // not through Show: Choose names its own
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        MakeRoomForCaption(box);
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

    int Choose(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        box.setIcon(QMessageBox::Question);
        QList<QAbstractButton*> made;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            // The last does nothing: it is what Esc presses.
            const bool last = i + 1 == buttons.size();
            made.append(static_cast<QAbstractButton*>(
                box.addButton(buttons[i], last ? QMessageBox::RejectRole : QMessageBox::AcceptRole)));
            if (last)
                box.setEscapeButton(made.constLast());
        }
        MakeRoomForCaption(box);
        box.exec();
        const qsizetype chosen = made.indexOf(box.clickedButton());
        return static_cast<int>(chosen < 0 ? buttons.size() - 1 : chosen);
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
    int Choose(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons) override
    {
        const NestedLoopScope scope;
        return g_messages->Choose(parent, text, caption, buttons);
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

int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons, const QString& caption)
{
    return Messages().Choose(parent, text, caption, buttons);
}

} // namespace tenvix::ui
