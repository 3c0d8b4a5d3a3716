#pragma once

// What the frame and its own windows say, in one place: the start-up
// failure, the document's save question, the export's captions, and what it
// says of a file another program has changed. The file messages are the core's
// (model/filemessages.h), shared with the command line.

#include <QString>

namespace tenvix::ui {

enum class ShellText {
    NoFrame,       // the main window could not be made
    ExportCaption, // the file chooser of Export analysis
    Analysing,     // the progress window's line while the export runs
    EmptyDatabase, // in the record form's place while the database holds no bond
    NoExample,     // File > Open example... finds no sample where it is installed
};
QString TextOf(ShellText text);

// Asked before a modified database is closed; `name` as the user knows it.
QString SaveChangesQuestion(const QString& name);

// What the window says when another program has changed or removed the open
// database's file; `name` as the title shows it.
enum class DiskText {
    Reload,      // changed, nothing unsaved here
    Overwrite,   // changed, and unsaved changes here or a Save under way
    Removed,     // gone from disk
    LoseChanges, // made sure of before Reload drops the unsaved changes
};
QString TextOf(DiskText text, const QString& name);
// The buttons of the Overwrite question.
enum class DiskButton { Overwrite, Reload, Cancel };
QString TextOf(DiskButton button);
// The caption of the Removed notice.
QString RemovedCaption();

} // namespace tenvix::ui
