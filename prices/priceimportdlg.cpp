#include "prices/priceimportdlg.h"

#include "model/pricemessages.h"
#include "prices/importtexts.h"
#include "prices/verdictmodel.h"
#include "uikit/busycursor.h"
#include "uikit/buttons.h"
#include "uikit/fileio.h"
#include "uikit/progress.h"
#include "uikit/quotesbox.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace tenvix::ui {

namespace {

using prices::ImportText;

QString Text(ImportText text) { return QString::fromLatin1(prices::TextOf(text)); }

// The filter box's entries, in its order.
struct FilterEntry {
    const char* text;
    PriceVerdictModel::Filter filter;
};
constexpr FilterEntry kFilters[] = {
    {"All rows", PriceVerdictModel::Filter::All},
    {"To update", PriceVerdictModel::Filter::Update},
    {"Large changes", PriceVerdictModel::Filter::LargeChange},
    {"Unchanged", PriceVerdictModel::Filter::Unchanged},
    {"Unknown", PriceVerdictModel::Filter::Unknown},
    {"Not alive", PriceVerdictModel::Filter::NotAlive},
    {"Refused", PriceVerdictModel::Filter::Refused},
};

// The decimal mark box's entries, in its order.
constexpr DecimalMark kMarks[] = {DecimalMark::Point, DecimalMark::Comma};

} // namespace

PriceImportDialog::PriceImportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("priceImportDlg"));
    setWindowTitle(Text(ImportText::Caption));

    m_wndFile =
        MakeButton(this, QStringLiteral("&File..."), "fileButton", QStringLiteral("Read the prices from a file"));
    m_wndFile->setDefault(true);
    m_wndClipboard = MakeButton(this, QStringLiteral("From c&lipboard"), "clipboardButton",
                                QStringLiteral("Read the prices from the clipboard's text (Ctrl+V)"));
    m_wndClipboard->setShortcut(QKeySequence::Paste);
    m_wndSource = new QLabel(Text(ImportText::ChooseFile), this);
    m_wndSource->setObjectName(QStringLiteral("source"));
    m_wndSource->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* thresholdLabel = new QLabel(QStringLiteral("Flag changes &beyond"), this);
    m_wndThreshold = new QDoubleSpinBox(this);
    m_wndThreshold->setObjectName(QStringLiteral("threshold"));
    // A percentage like every other figure: ASCII digits and the full stop.
    QLocale ascii = QLocale::c();
    ascii.setNumberOptions(QLocale::OmitGroupSeparator);
    m_wndThreshold->setLocale(ascii);
    m_wndThreshold->setGroupSeparatorShown(false);
    m_wndThreshold->setRange(0.0, 10000.0);
    m_wndThreshold->setDecimals(2);
    m_wndThreshold->setSuffix(QStringLiteral(" %"));
    m_wndThreshold->setValue(kLargeChangePercent);
    // A million rows are flagged anew once the number is complete, not at
    // every digit typed.
    m_wndThreshold->setKeyboardTracking(false);
    m_wndThreshold->setToolTip(QStringLiteral("Changes of more than this many percent are flagged"));
    thresholdLabel->setBuddy(m_wndThreshold);

    auto* markLabel = new QLabel(QStringLiteral("Decimal mark:"), this);
    m_wndDecimalMark = new QComboBox(this);
    m_wndDecimalMark->setObjectName(QStringLiteral("decimalMark"));
    for (const DecimalMark mark : kMarks)
        m_wndDecimalMark->addItem(QString::fromLatin1(prices::DecimalMarkWord(mark)));
    m_wndDecimalMark->setPlaceholderText(QStringLiteral("undecided"));
    m_wndDecimalMark->setToolTip(
        QStringLiteral("How prices such as 1.012 or 1,012 are read: the mark the file's other prices show, "
                       "or your choice; undecided, they are refused"));
    m_wndDecimalMark->setEnabled(false);
    markLabel->setBuddy(m_wndDecimalMark);

    m_wndQuotes = new QuotesBox(this);
    QLabel* quotesLabel = m_wndQuotes->MakeLabel(this);

    auto* filterLabel = new QLabel(QStringLiteral("&Show"), this);
    m_wndFilter = new QComboBox(this);
    m_wndFilter->setObjectName(QStringLiteral("filter"));
    for (const FilterEntry& entry : kFilters)
        m_wndFilter->addItem(QString::fromLatin1(entry.text));
    filterLabel->setBuddy(m_wndFilter);

    m_pModel = new PriceVerdictModel(this);
    m_wndTable = new QTableView(this);
    m_wndTable->setObjectName(QStringLiteral("verdicts"));
    m_wndTable->setModel(m_pModel);
    m_wndTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_wndTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wndTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_wndTable->setWordWrap(false);
    m_wndTable->setAlternatingRowColors(false);
    m_wndTable->verticalHeader()->hide();
    // Rows of one height, fixed: a million of them cost nothing to lay out.
    m_wndTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_wndTable->verticalHeader()->setDefaultSectionSize(m_wndTable->fontMetrics().height() + 6);
    m_wndTable->horizontalHeader()->setHighlightSections(false);
    m_wndTable->horizontalHeader()->setSortIndicator(PriceVerdictModel::kColLine, Qt::AscendingOrder);
    m_wndTable->setSortingEnabled(true);
    m_wndTable->horizontalHeader()->setStretchLastSection(true);
    SizeColumns();

    m_wndSummary = new QLabel(this);
    m_wndSummary->setObjectName(QStringLiteral("summary"));
    m_wndApply = MakeButton(this, QStringLiteral("&Apply"), "applyButton",
                            QStringLiteral("Store the prices of the rows to update"));
    m_wndApply->setEnabled(false);
    m_wndApply->setAutoDefault(false);
    m_wndCancel = MakeButton(this, QStringLiteral("Cancel"), "cancelButton",
                             QStringLiteral("Close the window and change nothing"));
    m_wndCancel->setAutoDefault(false);

    auto* source = new QHBoxLayout;
    source->addWidget(m_wndFile);
    source->addWidget(m_wndClipboard);
    source->addSpacing(10);
    source->addWidget(m_wndSource, 1);
    auto* quotes = new QHBoxLayout;
    quotes->addWidget(quotesLabel);
    quotes->addWidget(m_wndQuotes);
    quotes->addStretch(1);
    auto* view = new QHBoxLayout;
    view->addWidget(thresholdLabel);
    view->addWidget(m_wndThreshold);
    view->addSpacing(10);
    view->addWidget(markLabel);
    view->addWidget(m_wndDecimalMark);
    view->addStretch(1);
    view->addWidget(filterLabel);
    view->addWidget(m_wndFilter);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_wndSummary, 1);
    bottom->addWidget(m_wndApply);
    bottom->addWidget(m_wndCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(source);
    layout->addLayout(quotes);
    layout->addLayout(view);
    layout->addWidget(m_wndTable, 1);
    layout->addLayout(bottom);
    resize(960, 520);

    connect(m_wndFile, &QPushButton::clicked, this, &PriceImportDialog::ChooseFile);
    connect(m_wndClipboard, &QPushButton::clicked, this, &PriceImportDialog::TakeClipboard);
    connect(m_wndApply, &QPushButton::clicked, this, &PriceImportDialog::Apply);
    connect(m_wndCancel, &QPushButton::clicked, this, &PriceImportDialog::reject);
    connect(m_wndThreshold, &QDoubleSpinBox::valueChanged, this, [this](double percent) {
        m_pModel->SetThreshold(percent);
        ShowSummary();
    });
    connect(m_wndDecimalMark, &QComboBox::currentIndexChanged, this, &PriceImportDialog::ChangeDecimalMark);
    connect(m_wndQuotes, &QuotesBox::QuotesChosen, this, &PriceImportDialog::ChangeQuotes);
    connect(m_wndFilter, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (entry >= 0 && entry < static_cast<int>(std::size(kFilters)))
            m_pModel->SetFilter(kFilters[entry].filter);
    });
    ShowSummary();
}

PriceImportDialog::~PriceImportDialog() = default;

PriceQuotes PriceImportDialog::Quotes() const { return m_wndQuotes->Quotes(); }

void PriceImportDialog::SetQuotes(PriceQuotes quotes) { m_wndQuotes->SetQuotes(quotes); }

void PriceImportDialog::SizeColumns()
{
    const int figure = m_wndTable->fontMetrics().horizontalAdvance(QStringLiteral("000000.00")) + 16;
    const int accrued = m_wndTable->fontMetrics().horizontalAdvance(QStringLiteral("000.000000")) + 16;
    const int widths[PriceVerdictModel::kColumns] = {60, 120, figure, figure, figure, accrued, figure, 80, 260};
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        m_wndTable->setColumnWidth(c, widths[m_pModel->ColumnAt(c)]);
}

const BondIdIndex& PriceImportDialog::Index()
{
    if (!m_pIndex) {
        const BusyCursor busy;
        static const CBondList::List kNone;
        m_pIndex = std::make_unique<BondIdIndex>(m_pBondList ? m_pBondList->m_list : kNone);
    }
    return *m_pIndex;
}

bool PriceImportDialog::ChooseFile()
{
    FileChoice choice;
    choice.caption = Text(ImportText::Caption);
    choice.filters = {QStringLiteral("Price Files (*.csv *.txt)"), QStringLiteral("All Files (*.*)")};
    const QString path = FileChooser().ChooseOpen(this, choice);
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    // Refused unread beyond the reader's limit; only regular files, opened
    // without waiting, so a pipe chosen by mistake cannot hang the window.
    const FileResult read = ReadWholeFile(path, bytes, static_cast<qint64>(kMaxCsvBytes));
    if (!read.ok()) {
        ShowWarning(this, read.sysError == EFBIG ? Qs(PriceFileErrorText(PriceFileError::TooLarge))
                                                 : ReadFailureMessage(read, path));
        return false;
    }
    return Load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), path, false);
}

bool PriceImportDialog::TakeClipboard()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        ShowWarning(this, Text(ImportText::ClipboardEmpty));
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    return Load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                Text(ImportText::ClipboardSource), true);
}

bool PriceImportDialog::Load(std::string_view bytes, const QString& source, bool clipboard)
{
    const BondIdIndex& index = Index();
    PriceFile file;
    std::vector<PriceVerdict> verdicts;
    m_bBusy = true;
    {
        // Reading is the first half of the bar, judging the second.
        ProgressRun run(this, Text(ImportText::Reading));
        file =
            ReadPriceFile(bytes, index, [&](std::size_t done, std::size_t total) { return run.Step(done, 2 * total); });
        if (file.error == PriceFileError::None) {
            verdicts = JudgePrices(
                file, index, m_nStandDay, m_wndThreshold->value(),
                [&](std::size_t done, std::size_t total) { return run.Step(total + done, 2 * total); }, Quotes());
            if (verdicts.size() != file.rows.size())
                file.error = PriceFileError::Cancelled;
        }
    }
    m_bBusy = false;
    if (file.error == PriceFileError::Cancelled)
        return false;
    if (file.error != PriceFileError::None) {
        ShowWarning(this, clipboard && file.error == PriceFileError::Empty ? Text(ImportText::ClipboardEmpty)
                                                                           : Qs(PriceFileErrorText(file)));
        return false;
    }
    m_pModel->SetVerdicts(nullptr, nullptr);
    m_file = std::move(file);
    ShowVerdicts(std::move(verdicts));
    m_wndSource->setText(source);
    m_wndSource->setToolTip(source);
    ShowDecimalMark();
    m_wndTable->setFocus();
    return true;
}

void PriceImportDialog::ShowVerdicts(std::vector<PriceVerdict> verdicts)
{
    const bool wasClean = m_pModel->Clean();
    m_pModel->SetVerdicts(nullptr, nullptr);
    m_verdicts = std::move(verdicts);
    m_judgedAs = Quotes();
    m_pModel->SetVerdicts(&m_file, &m_verdicts);
    if (m_pModel->Clean() != wasClean) {
        // Other columns: the model went back to the file's order.
        const QSignalBlocker quiet(m_wndTable->horizontalHeader());
        m_wndTable->horizontalHeader()->setSortIndicator(PriceVerdictModel::kColLine, Qt::AscendingOrder);
        SizeColumns();
    }
    ShowSummary();
}

std::optional<std::vector<PriceVerdict>> PriceImportDialog::JudgeAgain()
{
    std::vector<PriceVerdict> verdicts;
    m_bBusy = true;
    {
        ProgressRun run(this, Text(ImportText::Reading));
        verdicts = JudgePrices(
            m_file, Index(), m_nStandDay, m_wndThreshold->value(),
            [&](std::size_t done, std::size_t total) { return run.Step(done, total); }, Quotes());
    }
    m_bBusy = false;
    if (verdicts.size() != m_file.rows.size())
        return std::nullopt;
    return verdicts;
}

void PriceImportDialog::ChangeQuotes()
{
    if (m_bBusy || m_verdicts.empty() || Quotes() == m_judgedAs)
        return;
    std::optional<std::vector<PriceVerdict>> verdicts = JudgeAgain();
    if (!verdicts) {
        // Cancelled: the verdicts shown stay, and so does what they were judged as.
        SetQuotes(m_judgedAs);
        return;
    }
    ShowVerdicts(std::move(*verdicts));
}

void PriceImportDialog::ShowDecimalMark()
{
    const QSignalBlocker quiet(m_wndDecimalMark);
    const auto* found = std::find(std::begin(kMarks), std::end(kMarks), m_file.decimalMark);
    m_wndDecimalMark->setCurrentIndex(found == std::end(kMarks) ? -1 : static_cast<int>(found - std::begin(kMarks)));
    m_wndDecimalMark->setEnabled(!m_verdicts.empty());
}

void PriceImportDialog::ChangeDecimalMark(int entry)
{
    if (m_bBusy || m_verdicts.empty() || entry < 0 || entry >= static_cast<int>(std::size(kMarks)) ||
        kMarks[entry] == m_file.decimalMark) {
        ShowDecimalMark();
        return;
    }
    const DecimalMark before = m_file.decimalMark;
    m_file.decimalMark = kMarks[entry];
    std::optional<std::vector<PriceVerdict>> verdicts = JudgeAgain();
    if (!verdicts) {
        // Cancelled: the verdicts shown stay, and so does their mark.
        m_file.decimalMark = before;
        ShowDecimalMark();
        return;
    }
    ShowVerdicts(std::move(*verdicts));
}

void PriceImportDialog::ShowSummary()
{
    if (m_verdicts.empty()) {
        m_wndSummary->clear();
        m_wndApply->setEnabled(false);
        return;
    }
    const prices::VerdictCounts counts = prices::CountVerdicts(m_verdicts);
    m_wndSummary->setText(Qs(prices::SummaryText(counts)));
    // Not the default button: Enter in the table must not store prices.
    m_wndApply->setEnabled(counts.update > 0);
}

void PriceImportDialog::Apply()
{
    if (m_bBusy)
        return;
    LargeChanges large = LargeChanges::Store;
    if (const std::size_t flagged = prices::CountVerdicts(m_verdicts).large; flagged > 0) {
        // Busy while the question is up: nothing closes the window or
        // judges the rows anew under it.
        m_bBusy = true;
        const MsgAnswer answer =
            AskYesNoCancel(this, Qs(prices::LargeChangesQuestion(flagged, Std(m_wndThreshold->cleanText()))));
        m_bBusy = false;
        if (answer == MsgAnswer::Cancel)
            return;
        large = answer == MsgAnswer::Yes ? LargeChanges::Store : LargeChanges::Skip;
    }
    {
        const BusyCursor busy;
        m_nUpdated = ApplyPrices(m_verdicts, large);
    }
    accept();
}

void PriceImportDialog::done(int code)
{
    // Esc and the close box wait for a read to stop; the read's own window
    // has the Cancel that stops it.
    if (m_bBusy)
        return;
    QDialog::done(code);
}

std::optional<std::size_t> ImportPrices(QWidget* parent, CBondList& bonds, std::int32_t standDay,
                                        PriceQuotes& quotes)
{
    PriceImportDialog dlg(parent);
    dlg.m_pBondList = &bonds;
    dlg.m_nStandDay = standDay;
    dlg.SetQuotes(quotes);
    const int result = ExecModal(dlg);
    // The choice is the user's whether or not anything was stored.
    quotes = dlg.Quotes();
    // Nothing stored (all the changes were large, and the user kept them
    // back) leaves the database as it was.
    if (result != QDialog::Accepted || dlg.Updated() == 0)
        return std::nullopt;
    return dlg.Updated();
}

} // namespace tenvix::ui
