#include "shell/tenvixdoc.h"

#include "model/bondfile.h"
#include "shell/shelltexts.h"
#include "uikit/services.h"

#include <QFileInfo>

#include <limits>
#include <span>

namespace tenvix::ui {

namespace {
const QString kUntitled = QStringLiteral("Untitled");
}

CTenvixDoc::CTenvixDoc(QObject* parent) : QObject(parent), m_strTitle(kUntitled) {}

CBondList& CTenvixDoc::BondList() { return m_pViews ? m_pViews->BondList() : m_ownList; }

QWidget* CTenvixDoc::DialogWindow() const { return m_pViews ? m_pViews->DialogWindow() : nullptr; }

QStringList CTenvixDoc::Filters()
{
    return {QStringLiteral("Tenvix Files (*.bnd)"), QStringLiteral("All Files (*.*)")};
}

void CTenvixDoc::SetModifiedFlag(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit ModifiedChanged(modified);
}

void CTenvixDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit TitleChanged(title);
}

void CTenvixDoc::SetPathName(const QString& path, bool addToRecent)
{
    m_strPathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
    if (addToRecent)
        emit AddedToRecent(m_strPathName);
}

void CTenvixDoc::DeleteContents()
{
    // The views let go of their positions before the records they point at go.
    if (m_pViews)
        m_pViews->ClearViews();
    BondList().RemoveAllBonds();
    SetModifiedFlag(false);
}

bool CTenvixDoc::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    m_strStampPath.clear();
    m_stamp = {};
    m_asked = {};
    SetTitle(kUntitled);
    SetModifiedFlag(false);
    return true;
}

bool CTenvixDoc::OnOpenDocument(const QString& path, bool* replaced, bool reload)
{
    if (replaced)
        *replaced = false;
    // The whole file is read before anything is emptied, so a file that
    // can't be read costs the user nothing, unsaved edits included.
    QByteArray bytes;
    const FileResult read = ReadWholeFile(path, bytes);
    if (!read.ok()) {
        ReportFileError(read.cause, path, false);
        return false;
    }

    const auto data = std::as_bytes(std::span(bytes.constData(), size_t(bytes.size())));
    if (reload && !IndexBondDatabase(data, std::numeric_limits<std::size_t>::max())) {
        ReportFileError(FileCause::BadFormat, path, false);
        SetModifiedFlag(true);
        return false;
    }

    if (replaced)
        *replaced = true;
    DeleteContents();
    SetModifiedFlag(true); // a half-loaded list is not the file
    if (!LoadBondDatabase(data, BondList())) {
        ReportFileError(FileCause::BadFormat, path, false);
        OnNewDocument();
        return false;
    }
    SetModifiedFlag(false);
    m_strStampPath = QFileInfo(path).absoluteFilePath();
    m_stamp = read.stamp;
    m_asked = {};
    return true;
}

bool CTenvixDoc::OnOpenCopy(const QString& path, bool* replaced)
{
    if (!OnOpenDocument(path, replaced))
        return false;
    m_strPathName.clear();
    m_strStampPath.clear();
    m_stamp = {};
    m_asked = {};
    SetTitle(QFileInfo(path).fileName());
    return true;
}

bool CTenvixDoc::OnSaveDocument(const QString& path)
{
    const std::string bytes = StoreBondDatabase(BondList());
    const FileResult r = ReplaceWholeFile(path, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (!r.ok()) {
        ReportFileError(r.cause, path, true);
        return false;
    }
    SetModifiedFlag(false);
    // The program's own save is no change by another program.
    m_strStampPath = QFileInfo(path).absoluteFilePath();
    m_stamp = r.stamp;
    return true;
}

void CTenvixDoc::ReportFileError(FileCause cause, const QString& path, bool saving)
{
    // The document's messages have no caption of their own: they carry the
    // program's name.
    ShowWarning(DialogWindow(), FileErrorMessage(cause, path, saving));
}

bool CTenvixDoc::SaveModified()
{
    if (m_pViews && !m_pViews->ConfirmLeaveRecord())
        return false;
    if (!IsModified())
        return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : QFileInfo(m_strPathName).fileName();
    switch (AskYesNoCancel(DialogWindow(), SaveChangesQuestion(name), QString::fromLatin1(kAppName))) {
    case MsgAnswer::Yes:
        // Changes dropped for the other program's file go anyway with what
        // replaces or closes the database next; nothing to read again.
        return SaveInPlace(true) != Saved::Stopped;
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

bool CTenvixDoc::DoFileSave() { return Finish(SaveInPlace(true)); }

bool CTenvixDoc::DoSave(const QString& path, bool replace) { return Finish(SaveTo(path, replace, true)); }

bool CTenvixDoc::Finish(Saved saved)
{
    if (saved == Saved::Dropped)
        emit ReloadWanted(m_strPathName);
    return saved == Saved::Written;
}

CTenvixDoc::Saved CTenvixDoc::SaveInPlace(bool askOverChange)
{
    // A read-only file can't be saved in place; ask for another name rather
    // than fail.
    const QFileInfo info(m_strPathName);
    if (m_strPathName.isEmpty() || (info.exists() && !info.isWritable()))
        return SaveTo(QString(), true, askOverChange);
    return SaveTo(m_strPathName, true, askOverChange);
}

CTenvixDoc::Saved CTenvixDoc::SaveTo(const QString& path, bool replace, bool askOverChange)
{
    QString target = path;
    if (target.isEmpty()) {
        FileChoice choice;
        choice.filters = Filters();
        choice.defaultSuffix = DefaultSuffix();
        choice.confirmOverwrite = true;
        if (!m_strPathName.isEmpty())
            choice.startPath = m_strPathName;
        else if (m_strTitle.endsWith(u'.' + DefaultSuffix()))
            choice.startPath = m_strTitle; // a copy of a file, named as it was
        else
            choice.startPath = m_strTitle + u'.' + DefaultSuffix();
        target = FileChooser().ChooseSave(DialogWindow(), choice);
        if (target.isEmpty())
            return Saved::Stopped;
    }
    // Only the document's own file is watched, under whichever command it
    // is written. One that is gone is simply written again.
    if (askOverChange && QFileInfo(target).absoluteFilePath() == m_strPathName) {
        if (const auto now = ChangeOnDisk(); now && now->state == FileStamp::State::Present) {
            m_asked = *now;
            switch (AskOverChange()) {
            case OverChange::Overwrite:
                break;
            case OverChange::Reload:
                return Saved::Dropped;
            case OverChange::Neither:
                return Saved::Stopped;
            }
        }
    }
    const QString watchedPath = m_strStampPath;
    const FileStamp watched = m_stamp;
    if (!OnSaveDocument(target))
        return Saved::Stopped;
    if (replace) {
        SetPathName(target);
    } else {
        // A copy elsewhere: the document's own file is still the one watched.
        m_strStampPath = watchedPath;
        m_stamp = watched;
    }
    return Saved::Written;
}

std::optional<FileStamp> CTenvixDoc::ChangeOnDisk() const
{
    if (m_strPathName.isEmpty() || m_strStampPath != m_strPathName || m_stamp.state != FileStamp::State::Present)
        return std::nullopt;
    const FileStamp now = StampOf(m_strPathName);
    if (now.state == FileStamp::State::Unknown || now == m_stamp)
        return std::nullopt;
    return now;
}

void CTenvixDoc::CheckFileOnDisk()
{
    // Each change is asked about once: the box itself takes the window out
    // of the front and puts it back, and an answer stands until the file
    // changes again.
    const auto now = ChangeOnDisk();
    if (!now || *now == m_asked)
        return;
    m_asked = *now;
    if (now->state == FileStamp::State::Missing) {
        Messages().Show(DialogWindow(), TextOf(DiskText::Removed, m_strTitle), RemovedCaption(), MsgIcon::Exclamation,
                        MsgButtons::Ok);
        // Nothing on disk holds the database any more: Save is there to
        // write it again, and a close asks first.
        SetModifiedFlag(true);
        return;
    }
    if (!IsModified()) {
        if (AskYesNo(DialogWindow(), TextOf(DiskText::Reload, m_strTitle)))
            emit ReloadWanted(m_strPathName);
        return;
    }
    switch (AskOverChange()) {
    case OverChange::Overwrite:
        Finish(SaveInPlace(false));
        break;
    case OverChange::Reload:
        emit ReloadWanted(m_strPathName);
        break;
    case OverChange::Neither:
        break;
    }
}

CTenvixDoc::OverChange CTenvixDoc::AskOverChange()
{
    // The buttons name what they do, so that nobody who means "don't save"
    // drops the changes by a No.
    const QStringList buttons{TextOf(DiskButton::Overwrite), TextOf(DiskButton::Reload), TextOf(DiskButton::Cancel)};
    switch (AskChoice(DialogWindow(), TextOf(DiskText::Overwrite, m_strTitle), buttons)) {
    case 0:
        return OverChange::Overwrite;
    case 1:
        return AskYesNo(DialogWindow(), TextOf(DiskText::LoseChanges, m_strTitle)) ? OverChange::Reload
                                                                                   : OverChange::Neither;
    default:
        return OverChange::Neither;
    }
}

} // namespace tenvix::ui
