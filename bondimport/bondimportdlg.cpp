#include "bondimport/bondimportdlg.h"

#include "bondimport/bondimporttexts.h"
#include "bondimport/columnstrip.h"
#include "bondimport/verdicttable.h"
#include "uikit/busycursor.h"
#include "uikit/buttons.h"
#include "uikit/datetext.h"
#include "uikit/fileio.h"
#include "uikit/progress.h"
#include "uikit/quotesbox.h"
#include "uikit/services.h"
#include "uikit/strings.h"

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

// The rows are judged against the database, or against none without one.
CBondList& Database(CBondList* list)
{
    static CBondList none;
    return list ? *list : none;
}

} // namespace

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

    // A bank's list only: what its columns hold, what its prices are.
    m_wndColumns = new BankColumnStrip(this);
    m_wndColumns->hide();
    m_wndQuotes = new QuotesBox(this);
    m_wndQuotes->SetQuotes(PriceQuotes::Clean);
    m_wndQuotesLabel = m_wndQuotes->MakeLabel(this);
    m_wndQuotes->hide();
    m_wndQuotesLabel->hide();

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
    auto* quotes = new QHBoxLayout;
    quotes->addWidget(m_wndQuotesLabel);
    quotes->addWidget(m_wndQuotes);
    quotes->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_wndSummary, 1);
    bottom->addWidget(m_wndApply);
    bottom->addWidget(m_wndCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(source);
    layout->addWidget(m_wndColumns);
    layout->addLayout(quotes);
    layout->addWidget(m_wndTable, 1);
    layout->addLayout(bottom);
    resize(1000, 540);

    connect(m_wndFile, &QPushButton::clicked, this, &BondImportDialog::ChooseFile);
    connect(m_wndApply, &QPushButton::clicked, this, [this] {
        if (!m_bBusy)
            accept();
    });
    connect(m_wndCancel, &QPushButton::clicked, this, &BondImportDialog::reject);
    connect(m_wndColumns, &BankColumnStrip::Chosen, this, &BondImportDialog::ChooseColumn);
    connect(m_wndQuotes, &QuotesBox::QuotesChosen, this, [this](PriceQuotes quotes) {
        if (m_bBusy || !m_bBank || quotes == m_judgedAs)
            return;
        std::optional<BondImport> judged = JudgeBank(m_bank);
        if (!judged) {
            // Cancelled: the verdicts shown stay, and so does what they were judged as.
            SetQuotes(m_judgedAs);
            return;
        }
        ShowJudged(std::move(*judged));
    });
    ShowSummary();
}

BondImportDialog::~BondImportDialog() = default;

PriceQuotes BondImportDialog::Quotes() const { return m_wndQuotes->Quotes(); }

void BondImportDialog::SetQuotes(PriceQuotes quotes) { m_wndQuotes->SetQuotes(quotes); }

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
    BondImport judged;
    BankList bank;
    bool cancelled = false;
    m_bBusy = true;
    {
        ProgressRun run(this, Text(ImportText::Reading));
        const auto step = [&](std::size_t done, std::size_t total) { return run.Step(done, total); };
        judged = JudgeBonds(bytes, Database(m_pBondList), step);
        // The database's own CSV says so in its first line; anything else
        // may be a bank's list.
        if (judged.error == BondCsvError::NoHeader) {
            bank = ReadBankList(bytes, std::nullopt, step);
            cancelled = bank.error == RowsFileError::Cancelled;
        }
        cancelled = cancelled || judged.cancelled;
    }
    m_bBusy = false;
    if (cancelled)
        return false;
    if (judged.error == BondCsvError::NoHeader) {
        if (bank.error == RowsFileError::None && !LooksLikeBankList(bank)) {
            ShowWarning(this, Qs(BondFileErrorText(judged.error, judged.errorLine)));
            return false;
        }
        if (bank.error != RowsFileError::None) {
            ShowWarning(this, Qs(BankListErrorText(bank)));
            return false;
        }
        std::optional<BondImport> bankJudged = JudgeBank(bank);
        if (!bankJudged)
            return false;
        m_bBank = true;
        m_bankBytes = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
        m_bank = std::move(bank);
        m_wndColumns->Show(m_bank.headings, m_bank.columnCount, m_bank.columns);
        ShowJudged(std::move(*bankJudged));
    } else if (judged.error != BondCsvError::None) {
        ShowWarning(this, Qs(BondFileErrorText(judged.error, judged.errorLine)));
        return false;
    } else {
        m_bBank = false;
        m_bankBytes.clear();
        m_bank = {};
        ShowJudged(std::move(judged));
    }
    m_wndSource->setText(source);
    m_wndSource->setToolTip(source);
    m_wndTable->setFocus();
    return true;
}

std::optional<BondImport> BondImportDialog::JudgeBank(const BankList& bank)
{
    // A list whose columns are not all chosen has no verdicts; the summary
    // says which is missing.
    if (!BankListErrorText(bank).empty())
        return BondImport{};
    BondImport judged;
    m_bBusy = true;
    {
        ProgressRun run(this, Text(ImportText::Reading));
        judged = JudgeBankList(bank, Database(m_pBondList), {m_nStandDay, Quotes()},
                               [&](std::size_t done, std::size_t total) { return run.Step(done, total); });
    }
    m_bBusy = false;
    if (judged.cancelled)
        return std::nullopt;
    return judged;
}

void BondImportDialog::ChooseColumn(std::size_t c, std::optional<BankField> field)
{
    if (m_bBusy || !m_bBank)
        return;
    BankColumns columns = m_bank.columns;
    if (field)
        columns.Assign(*field, c);
    else if (const std::optional<BankField> held = columns.FieldIn(c))
        columns[*held] = kNoColumn;
    BankList bank;
    m_bBusy = true;
    {
        ProgressRun run(this, Text(ImportText::Reading));
        bank = ReadBankList(std::string_view(m_bankBytes.constData(), static_cast<std::size_t>(m_bankBytes.size())),
                            columns, [&](std::size_t done, std::size_t total) { return run.Step(done, total); });
    }
    m_bBusy = false;
    // Read once already, the list can fail now only by a Cancel.
    std::optional<BondImport> judged;
    if (bank.error == RowsFileError::None)
        judged = JudgeBank(bank);
    if (!judged) {
        m_wndColumns->ShowChoice(m_bank.columns);
        return;
    }
    m_bank = std::move(bank);
    m_wndColumns->ShowChoice(m_bank.columns);
    ShowJudged(std::move(*judged));
}

void BondImportDialog::ShowJudged(BondImport judged)
{
    m_pModel->SetVerdicts(nullptr);
    m_judged = std::move(judged);
    m_judgedAs = Quotes();
    m_pModel->SetVerdicts(&m_judged.verdicts, m_bBank);
    m_wndColumns->setVisible(m_bBank);
    m_wndQuotes->setVisible(m_bBank);
    m_wndQuotesLabel->setVisible(m_bBank);
    const int figure = m_wndTable->fontMetrics().horizontalAdvance(QStringLiteral("0000000.00")) + 16;
    const int date = m_wndTable->fontMetrics().horizontalAdvance(FormatDate(ToDateValue(QDate(2000, 12, 28)))) + 16;
    const int widths[BondVerdictTable::kColumns] = {50, 130, 80, figure, figure, figure, date, date, 260};
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        m_wndTable->setColumnWidth(c, widths[m_pModel->ColumnAt(c)]);
    ShowSummary();
}

void BondImportDialog::ShowSummary()
{
    if (m_judged.verdicts.empty()) {
        // A bank's list whose columns are not all chosen says which is missing.
        m_wndSummary->setText(m_bBank ? Qs(BankListErrorText(m_bank)) : QString());
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

std::optional<BondCounts> ImportBonds(QWidget* parent, CBondList& bonds, std::int32_t standDay,
                                      PriceQuotes& bankQuotes)
{
    BondImportDialog dlg(parent);
    dlg.m_pBondList = &bonds;
    dlg.m_nStandDay = standDay;
    dlg.SetQuotes(bankQuotes);
    const int result = ExecModal(dlg);
    bankQuotes = dlg.Quotes();
    if (result != QDialog::Accepted)
        return std::nullopt;
    // Back in the caller's loop: the list changes here, not inside the window's.
    const BusyCursor busy;
    const BondCounts done = ApplyBonds(bonds, dlg.Judged().verdicts);
    if (done.rows == 0)
        return std::nullopt;
    return done;
}

} // namespace tenvix::ui
