#include "bondimport/bondimportdlg.h"

#include "bondimport/bondimporttexts.h"
#include "model/format.h"
#include "uikit/busycursor.h"
#include "uikit/buttons.h"
#include "uikit/fileio.h"
#include "uikit/progress.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <cerrno>

namespace tenvix::ui {

using bondimport::ImportText;

namespace {

QString Text(ImportText text) { return QString::fromLatin1(bondimport::TextOf(text)); }

} // namespace

// The verdicts themselves as a table: no widget or text of their own, so a
// million rows cost what the verdicts cost.
class BondVerdictTable final : public QAbstractTableModel {
public:
    enum Column { kColLine, kColId, kColVerdict, kColReason, kColumns };

    using QAbstractTableModel::QAbstractTableModel;

    void SetVerdicts(const std::vector<BondVerdict>* verdicts)
    {
        beginResetModel();
        m_verdicts = verdicts;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !m_verdicts ? 0 : static_cast<int>(m_verdicts->size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !m_verdicts || !index.isValid() || index.row() >= rowCount())
            return {};
        const BondVerdict& v = (*m_verdicts)[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case kColLine:
            return Qs(FormatInteger(v.line));
        case kColId:
            return Qs(v.id);
        case kColVerdict:
            return QString::fromLatin1(bondimport::VerdictWord(v.kind));
        case kColReason:
            return Qs(BondRefusalText(v));
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const kHeadings[kColumns] = {"Line", "ID", "Verdict", "Reason"};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
            return {};
        return QString::fromLatin1(kHeadings[section]);
    }

private:
    const std::vector<BondVerdict>* m_verdicts = nullptr;
};

BondImportDialog::BondImportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("bondImportDlg"));
    setWindowTitle(Text(ImportText::Caption));

    m_wndFile =
        MakeButton(this, QStringLiteral("&File..."), "fileButton", QStringLiteral("Read the bonds from a file"));
    m_wndFile->setDefault(true);
    m_wndSource = new QLabel(Text(ImportText::ChooseFile), this);
    m_wndSource->setObjectName(QStringLiteral("source"));
    m_wndSource->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_pModel = new BondVerdictTable(this);
    m_wndTable = new QTableView(this);
    m_wndTable->setObjectName(QStringLiteral("verdicts"));
    m_wndTable->setModel(m_pModel);
    m_wndTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_wndTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wndTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_wndTable->setWordWrap(false);
    m_wndTable->verticalHeader()->hide();
    // Rows of one height, fixed: a million of them cost nothing to lay out.
    m_wndTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_wndTable->verticalHeader()->setDefaultSectionSize(m_wndTable->fontMetrics().height() + 6);
    m_wndTable->horizontalHeader()->setHighlightSections(false);
    const int widths[BondVerdictTable::kColumns] = {60, 160, 90, 300};
    for (int c = 0; c < BondVerdictTable::kColumns; ++c)
        m_wndTable->setColumnWidth(c, widths[c]);
    m_wndTable->horizontalHeader()->setStretchLastSection(true);

    m_wndSummary = new QLabel(this);
    m_wndSummary->setObjectName(QStringLiteral("summary"));
    m_wndApply = MakeButton(this, QStringLiteral("&Apply"), "applyButton",
                            QStringLiteral("Add the new bonds and replace the changed ones"));
    m_wndApply->setEnabled(false);
    m_wndApply->setAutoDefault(false);
    m_wndCancel = MakeButton(this, QStringLiteral("Cancel"), "cancelButton",
                             QStringLiteral("Close the window and change nothing"));
    m_wndCancel->setAutoDefault(false);

    auto* source = new QHBoxLayout;
    source->addWidget(m_wndFile);
    source->addSpacing(10);
    source->addWidget(m_wndSource, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_wndSummary, 1);
    bottom->addWidget(m_wndApply);
    bottom->addWidget(m_wndCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(source);
    layout->addWidget(m_wndTable, 1);
    layout->addLayout(bottom);
    resize(760, 480);

    connect(m_wndFile, &QPushButton::clicked, this, &BondImportDialog::ChooseFile);
    connect(m_wndApply, &QPushButton::clicked, this, [this] {
        if (!m_bBusy)
            accept();
    });
    connect(m_wndCancel, &QPushButton::clicked, this, &BondImportDialog::reject);
    ShowSummary();
}

BondImportDialog::~BondImportDialog() = default;

bool BondImportDialog::ChooseFile()
{
    FileChoice choice;
    choice.caption = Text(ImportText::Caption);
    choice.filters = {QStringLiteral("Bond Files (*.csv)"), QStringLiteral("All Files (*.*)")};
    const QString path = FileChooser().ChooseOpen(this, choice);
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    // Refused unread beyond the reader's limit; only regular files, opened
    // without waiting, so a pipe chosen by mistake cannot hang the window.
    const FileResult read = ReadWholeFile(path, bytes, static_cast<qint64>(kMaxBondCsvBytes));
    if (!read.ok()) {
        ShowWarning(this, read.sysError == EFBIG ? Qs(BondFileErrorText(BondCsvError::TooLarge))
                                                 : ReadFailureMessage(read, path));
        return false;
    }
    return Load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), path);
}

bool BondImportDialog::Load(std::string_view bytes, const QString& source)
{
    static CBondList none;
    BondImport judged;
    m_bBusy = true;
    {
        ProgressRun run(this, Text(ImportText::Reading));
        judged = JudgeBonds(bytes, m_pBondList ? *m_pBondList : none,
                            [&](std::size_t done, std::size_t total) { return run.Step(done, total); });
    }
    m_bBusy = false;
    if (judged.cancelled)
        return false;
    if (judged.error != BondCsvError::None) {
        ShowWarning(this, Qs(BondFileErrorText(judged.error, judged.errorLine)));
        return false;
    }
    m_pModel->SetVerdicts(nullptr);
    m_judged = std::move(judged);
    m_pModel->SetVerdicts(&m_judged.verdicts);
    m_wndSource->setText(source);
    m_wndSource->setToolTip(source);
    ShowSummary();
    m_wndTable->setFocus();
    return true;
}

void BondImportDialog::ShowSummary()
{
    if (m_judged.verdicts.empty()) {
        m_wndSummary->clear();
        m_wndApply->setEnabled(false);
        return;
    }
    const BondCounts counts = CountBondVerdicts(m_judged.verdicts);
    m_wndSummary->setText(Qs(bondimport::SummaryText(counts)));
    // Not the default button: Enter in the table must not change the database.
    m_wndApply->setEnabled(counts.add + counts.replace > 0);
}

void BondImportDialog::done(int code)
{
    // Esc and the close box wait for a read to stop; the read's own window
    // has the Cancel that stops it.
    if (m_bBusy)
        return;
    QDialog::done(code);
}

std::optional<BondCounts> ImportBonds(QWidget* parent, CBondList& bonds)
{
    BondImportDialog dlg(parent);
    dlg.m_pBondList = &bonds;
    if (ExecModal(dlg) != QDialog::Accepted)
        return std::nullopt;
    // Back in the caller's loop: the list changes here, not inside the window's.
    const BusyCursor busy;
    const BondCounts done = ApplyBonds(bonds, dlg.Judged().verdicts);
    if (done.rows == 0)
        return std::nullopt;
    return done;
}

} // namespace tenvix::ui
