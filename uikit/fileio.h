#pragma once

// Reading and safely replacing whole document files, with the failure told as
// one of the causes the user is shown a message for. The causes come from the
// system's own error, not from guessing at the file afterwards.

#include "model/filemessages.h"
#include "uikit/services.h"

#include <QByteArray>
#include <QString>

namespace tenvix::ui {

// Which file a path named and how it stood: enough to tell that another
// program has since written it, whether in place or by putting a new file in
// its place (as every safe save does).
struct FileStamp {
    enum class State { Unknown, Missing, Present };
    State state = State::Unknown; // Unknown: the system would not say
    qint64 size = 0;
    qint64 mtimeSec = 0;
    qint64 mtimeNsec = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file `path` names now (a symbolic link followed).
FileStamp StampOf(const QString& path);

struct FileResult {
    FileCause cause = FileCause::None;
    int sysError = 0; // errno behind the cause, 0 if none
    // The file was open and the failure came while reading or writing it
    // (closing and replacing included); false when it could not be opened
    // or was refused, as a pipe or a folder is.
    bool opened = false;
    // The path names a folder, a pipe or a device, which a read refuses.
    bool notRegular = false;
    // On success, the file read, or the file written as it stands in the
    // target's place.
    FileStamp stamp{};
    bool ok() const { return cause == FileCause::None; }
};

// The errno of a failed open, read or write, as a cause: the core's mapping,
// which the command line uses too.
using tenvix::CauseFromErrno;

// The whole file at `path`. Only regular files are read: a pipe or a device
// could block or never end. `maxBytes` bounds what a hostile file can make us
// allocate.
FileResult ReadWholeFile(const QString& path, QByteArray& out, qint64 maxBytes = qint64(1) << 30);

// Like ReadWholeFile, but a longer file is not refused: `out` gets its first
// `maxBytes` bytes, for formats that ignore whatever follows their end.
FileResult ReadFileStart(const QString& path, QByteArray& out, qint64 maxBytes);

// Writes `bytes` to a temporary file beside `path` and puts it in the
// target's place only once all of it is written and synced to disk; any
// failure on the way (a full disk part-way through included) is reported,
// the target is exactly as it was and no temporary file is left.
FileResult ReplaceWholeFile(const QString& path, const QByteArray& bytes);

// The message the user sees for a failed open or save of the database at
// `path`, in the words the command line uses too.
QString FileErrorMessage(FileCause cause, const QString& path, bool saving);

// The message for a failed read of a file the user chose to import: a
// folder, a pipe or a device is named as no regular file, as the command
// line names it.
QString ReadFailureMessage(const FileResult& result, const QString& path);

// Whether `a` and `b` are one file on disk, the same device and inode,
// however each is spelt: through a link, or with "." and "..". False when
// either is not there.
bool IsSameFile(const QString& a, const QString& b);

// Whether an export must not replace `path`: it is the open database
// `openDatabase` (empty while the database has no file), or an existing file
// that begins as a database or a portfolio does, whatever its name.
bool IsDatabaseTarget(const QString& path, const QString& openDatabase);

// Why such a path is refused.
QString DatabaseTargetMessage();

// The save chooser of an export: a path IsDatabaseTarget refuses is told,
// with the caption "Error", and the chooser comes again where it was, until
// the user picks another file or cancels (empty). Only then is a file there
// already asked about (ReplaceQuestion, under the chooser's caption): the
// chooser itself asks nothing, so that the open database is refused before
// anyone is asked to replace it; No brings the chooser again.
QString ChooseExportPath(QWidget* parent, FileChoice choice, const QString& openDatabase);
QString ReplaceQuestion(const QString& path);

} // namespace tenvix::ui
