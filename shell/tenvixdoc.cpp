#include "shell/tenvixdoc.h"

#include "model/bondfile.h"
#include "shell/shelltexts.h"
#include "uikit/services.h"

#include <QFileInfo>

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
    SetTitle(kUntitled);
    SetModifiedFlag(false);
    return true;
}

bool CTenvixDoc::OnOpenDocument(const QString& path, bool* replaced)
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

    if (replaced)
        *replaced = true;
    DeleteContents();
    SetModifiedFlag(true); // a half-loaded list is not the file
    const auto data = std::as_bytes(std::span(bytes.constData(), size_t(bytes.size())));
    if (!LoadBondDatabase(data, BondList())) {
        ReportFileError(FileCause::BadFormat, path, false);
        OnNewDocument();
        return false;
    }
    SetModifiedFlag(false);
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
    if (!IsModified())
        return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : QFileInfo(m_strPathName).fileName();
    switch (AskYesNoCancel(DialogWindow(), SaveChangesQuestion(name), QString::fromLatin1(kAppName))) {
    case MsgAnswer::Yes:
        return DoFileSave();
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

bool CTenvixDoc::DoFileSave()
{
    // A read-only file can't be saved in place; ask for another name rather
    // than fail.
    const QFileInfo info(m_strPathName);
    if (m_strPathName.isEmpty() || (info.exists() && !info.isWritable()))
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool CTenvixDoc::DoSave(const QString& path, bool replace)
{
    QString target = path;
    if (target.isEmpty()) {
        FileChoice choice;
        choice.filters = Filters();
        choice.defaultSuffix = DefaultSuffix();
        choice.confirmOverwrite = true;
        if (!m_strPathName.isEmpty())
            choice.startPath = m_strPathName;
        else
            choice.startPath = m_strTitle + u'.' + DefaultSuffix();
        target = FileChooser().ChooseSave(DialogWindow(), choice);
        if (target.isEmpty())
            return false;
    }
    if (!OnSaveDocument(target))
        return false;
    if (replace)
        SetPathName(target);
    return true;
}

} // namespace tenvix::ui
