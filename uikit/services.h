#pragma once

// The seams through which the windows reach the user and the time: message
// boxes and questions, file choosers, and the clock. The program installs the
// real ones; tests install fakes that record what was asked and answer from a
// script. No window calls QMessageBox or QFileDialog itself.
//
// Every event loop the program runs inside another one (a modal window, a
// box, a file chooser, a scan that lets events through) is counted here:
// while one runs, the windows under it hold pointers into the bond list, so
// nothing may replace the database until the count is back to zero.

#include "model/clock.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace tenvix::ui {

enum class MsgIcon { Information, Exclamation, Question };
// Named: a question of Choose, whose buttons carry their actions' names.
enum class MsgButtons { Ok, YesNo, YesNoCancel, Named };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    virtual MsgAnswer Show(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                           MsgButtons buttons) = 0;
    // A question whose buttons carry the names of what they do, in the order
    // shown; the answer is the index of the one chosen. A box closed any other
    // way (Esc, its title bar) chooses the last, which must be the one that
    // does nothing.
    virtual int Choose(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons) = 0;
};

// What a file chooser is asked for. An empty result means the user cancelled.
struct FileChoice {
    QString caption;              // empty: the platform's "Open" / "Save As"
    QString startPath;            // file name or folder the chooser starts with
    QStringList filters;          // e.g. "Tenvix Files (*.bnd)", "All Files (*)"
    QString defaultSuffix;        // added to a name typed without extension, without the dot
    bool confirmOverwrite = true; // save mode only
};

class FileChooserSeam {
public:
    virtual ~FileChooserSeam() = default;
    virtual QString ChooseOpen(QWidget* parent, const FileChoice& choice) = 0;
    virtual QString ChooseSave(QWidget* parent, const FileChoice& choice) = 0;
};

// The installed seams, each call counted as a nested loop.
MessageSeam& Messages();
FileChooserSeam& FileChooser();
const Clock& UiClock();

// Replace a seam; nullptr puts the real one back. The caller keeps ownership.
void InstallMessages(MessageSeam* seam);
void InstallFileChooser(FileChooserSeam* seam);
void InstallClock(const Clock* clock);

// Held for as long as a nested event loop runs.
class NestedLoopScope {
public:
    NestedLoopScope();
    ~NestedLoopScope();
    NestedLoopScope(const NestedLoopScope&) = delete;
    NestedLoopScope& operator=(const NestedLoopScope&) = delete;
};

// The count of nested loops, and the news that it is back to zero.
class NestedLoops : public QObject {
    Q_OBJECT
public:
    static NestedLoops& Instance();
    int Depth() const { return m_nDepth; }
    // Inside a nested loop, or under a modal window that was opened some
    // other way than ExecModal.
    static bool Running();

signals:
    // The last nested loop has ended. Sent from the function that ran it,
    // which may go on to open another: connect queued, and look again.
    void Settled();

private:
    friend class NestedLoopScope;
    int m_nDepth = 0;
};

// Runs `dialog` modally, counted as a nested loop. Every modal window of the
// program runs through here.
int ExecModal(QDialog& dialog);

// The application name, the caption of notices.
inline const char* const kAppName = "tenvix";

// The common shapes of message box.
void ShowError(QWidget* parent, const QString& text);       // "Error", exclamation
void ShowWarning(QWidget* parent, const QString& text);     // "tenvix", exclamation
void ShowNotice(QWidget* parent, const QString& text);      // "tenvix", information
void ShowInformation(QWidget* parent, const QString& text); // "Information", information
void ShowResult(QWidget* parent, const QString& text);      // "Result", information
bool AskYesNo(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Question"));
MsgAnswer AskYesNoCancel(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Question"));
// A question icon and these buttons; the index of the one chosen.
int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
              const QString& caption = QStringLiteral("Question"));

} // namespace tenvix::ui
