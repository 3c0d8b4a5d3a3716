#pragma once

// The seams through which the windows reach the user and the time: message
// boxes and questions, file choosers, and the clock. The program installs the
// real ones; tests install fakes that record what was asked and answer from a
// script. No window calls QMessageBox or QFileDialog itself.

#include "model/clock.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace tenvix::ui {

enum class MsgIcon { Information, Exclamation, Question };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    virtual MsgAnswer Show(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

// What a file chooser is asked for. An empty result means the user cancelled.
struct FileChoice {
    QString caption;         // empty: the platform's "Open" / "Save As"
    QString startPath;       // file name or folder the chooser starts with
    QStringList filters;     // e.g. "Tenvix Files (*.bnd)", "All Files (*)"
    QString defaultSuffix;   // added to a name typed without extension, without the dot
    bool confirmOverwrite = true; // save mode only
};

class FileChooserSeam {
public:
    virtual ~FileChooserSeam() = default;
    virtual QString ChooseOpen(QWidget* parent, const FileChoice& choice) = 0;
    virtual QString ChooseSave(QWidget* parent, const FileChoice& choice) = 0;
};

MessageSeam& Messages();
FileChooserSeam& FileChooser();
const Clock& UiClock();

// Replace a seam; nullptr puts the real one back. The caller keeps ownership.
void InstallMessages(MessageSeam* seam);
void InstallFileChooser(FileChooserSeam* seam);
void InstallClock(const Clock* clock);

// The application name, the caption of notices.
inline const char* const kAppName = "tenvix";

// The common shapes of message box.
void ShowError(QWidget* parent, const QString& text);      // "Error", exclamation
void ShowNotice(QWidget* parent, const QString& text);     // "tenvix", information
void ShowResult(QWidget* parent, const QString& text);     // "Result", information
bool AskYesNo(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Question"));

} // namespace tenvix::ui
