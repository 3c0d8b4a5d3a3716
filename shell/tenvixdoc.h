#pragma once

// The open bond database as a document: where it lives on disk, whether it
// has unsaved changes, and the new / open / save flow with its questions and
// messages. It remembers which file it last read or wrote, so that a file
// another program has written since (the command line's price update, say)
// is neither overwritten nor left unread without the user's word. The
// records themselves belong to the record form; the document reaches them
// through the views it is given.

#include "model/bondlist.h"
#include "uikit/fileio.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace tenvix::ui {

// What the document needs from the windows that show it.
class DocumentViews {
public:
    virtual ~DocumentViews() = default;
    // The program's one bond list.
    virtual CBondList& BondList() = 0;
    // Forget everything that points into the list: the list view's rows, the
    // form's current record and fields.
    virtual void ClearViews() = 0;
    // A new or newly opened database is in place: show its first record.
    virtual void InitialUpdate() = 0;
    // Parent for the document's questions and file choosers.
    virtual QWidget* DialogWindow() = 0;
    // Before the database is closed or replaced: the record being edited is
    // saved, let go or kept as the user answers. False: stop.
    virtual bool ConfirmLeaveRecord() = 0;
};

class CTenvixDoc : public QObject {
    Q_OBJECT
public:
    explicit CTenvixDoc(QObject* parent = nullptr);

    void SetViews(DocumentViews* views) { m_pViews = views; }
    CBondList& BondList();

    // Empties the database and the views; not modified afterwards.
    void DeleteContents();
    // An empty "Untitled" database without a path.
    bool OnNewDocument();
    // Reads `path` into the database. A file that can't be read leaves
    // everything as it was; one that is read but isn't a database leaves an
    // empty "Untitled" one. Either way the user has been told.
    // `replaced` tells whether the database in memory changed at all.
    // With `reload` (the file read again after another program changed it)
    // a file that isn't a database replaces nothing: the database here is
    // then the only good copy, and counts as unsaved.
    bool OnOpenDocument(const QString& path, bool* replaced = nullptr, bool reload = false);
    // Reads `path` as OnOpenDocument does, as a copy: the document takes the
    // file's name as its title but no path, so that nothing writes to the
    // file and a Save asks for a name.
    bool OnOpenCopy(const QString& path, bool* replaced = nullptr);
    // Writes the database to `path`, replacing the file only when complete.
    bool OnSaveDocument(const QString& path);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

    const QString& GetTitle() const { return m_strTitle; }
    const QString& GetPathName() const { return m_strPathName; }
    // Takes the path and the file's name as title; announces it for the
    // recent-file list when `addToRecent`.
    void SetPathName(const QString& path, bool addToRecent = true);

    // First the views' question about the record being edited, then "Save
    // changes to %1?" while modified. False means: stop what you were doing
    // (Cancel, or a save failed).
    bool SaveModified();
    // The Save command: asks for a name when there is none or the file is
    // read-only.
    bool DoFileSave();
    // Save As when `path` is empty; with `replace` the document takes the
    // new name.
    bool DoSave(const QString& path, bool replace = true);

    // The window is in front again: if another program has changed or
    // removed the file since it was read or saved here, says so, once for
    // each change, and asks what to do. Reading the file again is left to
    // ReloadWanted's receiver.
    void CheckFileOnDisk();

    // The file choosers' filters and default suffix.
    static QStringList Filters();
    static QString DefaultSuffix() { return QStringLiteral("bnd"); }

    // Shows the message for a failed open or save of `path`.
    void ReportFileError(FileCause cause, const QString& path, bool saving);

signals:
    void TitleChanged(const QString& title);
    void ModifiedChanged(bool modified);
    void AddedToRecent(const QString& path);
    // The user chose the file at `path` over the database in memory: read it
    // again, without the save question. Never carried out by the document
    // itself, whose caller may be inside a nested loop.
    void ReloadWanted(const QString& path);

private:
    // How a save ended: written, the user chose the other program's file
    // over the changes here, or stopped (cancelled or failed).
    enum class Saved { Written, Dropped, Stopped };
    Saved SaveInPlace(bool askOverChange);
    Saved SaveTo(const QString& path, bool replace, bool askOverChange);
    bool Finish(Saved saved);
    // The stamp of the document's file when another program has changed or
    // removed it since it was last read or written here; none when the file
    // is as it was or can't be told.
    std::optional<FileStamp> ChangeOnDisk() const;
    // What the user chose for unsaved changes over a file another program
    // changed: write them over it, read the file again (made sure of, for the
    // changes are then lost), or neither.
    enum class OverChange { Overwrite, Reload, Neither };
    OverChange AskOverChange();

    void SetTitle(const QString& title);
    QWidget* DialogWindow() const;

    DocumentViews* m_pViews = nullptr;
    CBondList m_ownList; // stands in while no views are attached
    QString m_strTitle;
    QString m_strPathName;
    bool m_bModified = false;
    // The file last read or written here, and the stamp it had then.
    QString m_strStampPath;
    FileStamp m_stamp;
    // The change the user was last asked about.
    FileStamp m_asked;
};

} // namespace tenvix::ui
