#include "portfolio/funddlg.h"

#include "model/date.h"
#include "model/numbers.h"
#include "model/pricecsv.h"
#include "model/pricefile.h"
#include "model/pricemessages.h"
#include "portfolio/core/fundmessages.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/core/schedule.h"
#include "portfolio/digitsedit.h"
#include "portfolio/entrylayout.h"
#include "uikit/buttons.h"
#include "uikit/datetext.h"
#include "uikit/fileio.h"
#include "uikit/paymentgrid.h"
#include "uikit/services.h"
#include "uikit/strings.h"
#include "uikit/typeddecimal.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>
#include <cmath>

namespace tenvix::ui {
namespace {

const QString kCsvFilter = QStringLiteral("Schedule Files (*.csv *.txt)");

QString RowError(ScheduleProblem problem, int row)
{
    Schedule refused;
    refused.problem = problem;
    refused.line = row;
    return Qs(ScheduleErrorText(refused));
}

} // namespace

FundDialog::FundDialog(const FundEntries& entries, const ScheduleTexts& rows, double stand, QWidget* parent)
    : QDialog(parent), m_stand(stand)
{
    setWindowTitle(QStringLiteral("Fund schedule"));
    setObjectName(QStringLiteral("fundDlg"));

    m_grid = new PaymentGrid(this);
    m_grid->setObjectName(QStringLiteral("schedule"));
    m_grid->setHeaderLabels({QStringLiteral("Amount"), QStringLiteral("Date"), QStringLiteral("No")});
    m_grid->setColumnWidth(PaymentGrid::kPayment, 110);
    m_grid->setMinimumWidth(260);
    // The grid hands over what was typed; the dialog keeps it.
    connect(m_grid, &PaymentGrid::EditEnded, this,
            [this](int row, int column, const QString& text) { m_grid->SetText(row, column, text); });
    SetRows(rows);

    auto* add = MakeButton(this, QStringLiteral("A&dd row"), "addRow", QStringLiteral("Add a liability"));
    auto* remove = MakeButton(this, QStringLiteral("R&emove row"), "removeRow",
                              QStringLiteral("Remove the selected liability"));
    auto* import = MakeButton(this, QStringLiteral("&Import CSV..."), "importCsv",
                              QStringLiteral("Read the liabilities from a file of dates and amounts"));
    auto* save = MakeButton(this, QStringLiteral("Sa&ve CSV..."), "saveCsv",
                            QStringLiteral("Write the liabilities to a file of dates and amounts"));
    for (QPushButton* b : {add, remove, import, save})
        b->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &FundDialog::AddRow);
    connect(remove, &QPushButton::clicked, this, &FundDialog::RemoveRow);
    connect(import, &QPushButton::clicked, this, &FundDialog::ImportCsv);
    connect(save, &QPushButton::clicked, this, &FundDialog::SaveCsv);
    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* b : {add, remove, import, save})
        rowButtons->addWidget(b);
    rowButtons->addStretch(1);

    m_wndReinvest = EntryBox(new QLineEdit(this), "reinvest", entries.reinvest);
    m_wndRows = EntryBox(new DigitsEdit(this), "rows", entries.rows);
    m_wndShare = EntryBox(new QLineEdit(this), "share", entries.share);
    m_wndLeastYtm = EntryBox(new QLineEdit(this), "leastYtm", entries.leastYtm);

    auto* fields = new QGridLayout;
    auto* label = new QLabel(QStringLiteral("&Liabilities"), this);
    label->setBuddy(m_grid);
    fields->addWidget(label, 0, 0, 1, 2);
    fields->addWidget(m_grid, 1, 0, 1, 2);
    fields->addLayout(rowButtons, 2, 0, 1, 2);
    const std::pair<const char*, QLineEdit*> boxes[] = {{"&Reinvestment rate in %", m_wndReinvest},
                                                        {"Most &bonds", m_wndRows},
                                                        {"Most &share in %", m_wndShare},
                                                        {"Least &YTM in %", m_wndLeastYtm}};
    int r = 3;
    for (const auto& [text, box] : boxes) {
        auto* boxLabel = new QLabel(QString::fromLatin1(text), this);
        boxLabel->setBuddy(box);
        fields->addWidget(boxLabel, r, 0);
        fields->addWidget(box, r, 1, Qt::AlignLeft);
        ++r;
    }
    fields->setRowStretch(1, 1);
    fields->setColumnStretch(1, 1);
    LayOutEntryDialog(this, fields);
    resize(520, 480);
    m_grid->setFocus();
}

void FundDialog::SetRows(const ScheduleTexts& rows)
{
    m_grid->SetRowCount(0);
    m_grid->SetRowCount(static_cast<int>(rows.size()));
    for (int k = 0; k < static_cast<int>(rows.size()); ++k) {
        m_grid->SetText(k, PaymentGrid::kPayment, rows[static_cast<std::size_t>(k)].first);
        m_grid->SetText(k, PaymentGrid::kDate, rows[static_cast<std::size_t>(k)].second);
    }
}

ScheduleTexts FundDialog::Rows() const
{
    ScheduleTexts rows;
    for (int k = 0; k < m_grid->RowCount(); ++k)
        rows.emplace_back(m_grid->Text(k, PaymentGrid::kPayment), m_grid->Text(k, PaymentGrid::kDate));
    return rows;
}

void FundDialog::AddRow()
{
    if (m_grid->RowCount() >= static_cast<int>(kMaxLiabilities))
        return;
    m_grid->CommitEdit();
    m_grid->AppendPlaceholderRow();
    const int row = m_grid->RowCount() - 1;
    m_grid->setCurrentItem(m_grid->topLevelItem(row), PaymentGrid::kDate);
    m_grid->setFocus();
}

void FundDialog::RemoveRow()
{
    const int row = m_grid->SelectedRow();
    if (row < 0)
        return;
    m_grid->DropEdit();
    ScheduleTexts rows = Rows();
    rows.erase(rows.begin() + row);
    SetRows(rows);
    if (!rows.empty())
        m_grid->setCurrentItem(m_grid->topLevelItem(std::min(row, static_cast<int>(rows.size()) - 1)));
}

std::optional<std::vector<Liability>> FundDialog::ReadRows()
{
    m_grid->CommitEdit();
    std::vector<Liability> typed;
    for (int k = 0; k < m_grid->RowCount(); ++k) {
        const std::optional<double> day = ParseDate(m_grid->Text(k, PaymentGrid::kDate));
        if (!day) {
            m_grid->setCurrentItem(m_grid->topLevelItem(k), PaymentGrid::kDate);
            ShowError(this, RowError(ScheduleProblem::InvalidDate, k + 1));
            return std::nullopt;
        }
        // The grid keeps an amount as the core reads it.
        const std::optional<double> amount = ReadDecimal(m_grid->Text(k, PaymentGrid::kPayment).toStdString());
        typed.push_back({DaySerial(*day), amount ? *amount : std::nan("")});
    }
    const Schedule schedule = MakeSchedule(typed, DaySerial(m_stand));
    if (schedule.problem != ScheduleProblem::None) {
        if (schedule.line > 0)
            m_grid->setCurrentItem(m_grid->topLevelItem(static_cast<int>(schedule.line) - 1));
        ShowError(this, Qs(ScheduleErrorText(schedule)));
        return std::nullopt;
    }
    return schedule.liabilities;
}

void FundDialog::ImportCsv()
{
    FileChoice choice;
    choice.startPath = m_strLastPath;
    choice.filters = {kCsvFilter, QStringLiteral("All Files (*.*)")};
    const QString path = FileChooser().ChooseOpen(this, choice);
    if (path.isEmpty())
        return;
    QByteArray bytes;
    // Only a regular file, opened without waiting, and none beyond the
    // reader's limit, read or not.
    const FileResult read = ReadWholeFile(path, bytes, static_cast<qint64>(kMaxCsvBytes));
    if (!read.ok()) {
        ShowError(this, read.sysError == EFBIG ? Qs(PriceFileErrorText(PriceFileError::TooLarge))
                                               : ReadFailureMessage(read, path));
        return;
    }
    m_strLastPath = path;
    const Schedule schedule =
        ReadSchedule(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), DaySerial(m_stand));
    if (schedule.problem != ScheduleProblem::None) {
        ShowError(this, Qs(ScheduleErrorText(schedule)));
        return;
    }
    ScheduleTexts rows;
    for (const Liability& l : schedule.liabilities)
        rows.emplace_back(Qs(FormatLiability(l.amount)), FormatDate(static_cast<double>(l.day)));
    SetRows(rows);
}

void FundDialog::SaveCsv()
{
    const std::optional<std::vector<Liability>> schedule = ReadRows();
    if (!schedule)
        return;
    FileChoice choice;
    choice.startPath = m_strLastPath;
    choice.filters = {kCsvFilter};
    choice.defaultSuffix = QStringLiteral("csv");
    const QString path = ChooseExportPath(this, choice, QString());
    if (path.isEmpty())
        return;
    const std::string bytes = ScheduleCsv(*schedule);
    const FileResult saved = ReplaceWholeFile(path, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (saved.opened || saved.ok())
        m_strLastPath = path;
    if (!saved.ok())
        ShowError(this, FileErrorMessage(saved.cause, path, true));
}

void FundDialog::accept()
{
    const std::optional<std::vector<Liability>> schedule = ReadRows();
    if (!schedule)
        return;
    FundLimits limits;
    const QString reinvest = TypedDecimal(m_wndReinvest->text());
    const std::optional<double> rho = ReadDecimal(reinvest.toStdString());
    if (!rho || !(*rho >= 0) || !std::isfinite(*rho)) {
        RefuseBox(this, m_wndReinvest, TextOf(FundText::BadReinvest));
        return;
    }
    limits.reinvest = *rho / 100;

    const std::optional<SharedLimits> shared = ReadSharedLimits(this, m_wndRows, m_wndShare, m_wndLeastYtm);
    if (!shared)
        return;
    limits.maxRows = shared->maxRows;
    limits.maxShare = shared->maxShare;
    limits.minYtm = shared->minYtm;
    const QString rows = m_wndRows->text();
    const QString share = TypedDecimal(m_wndShare->text());
    const QString leastYtm = TypedDecimal(m_wndLeastYtm->text());
    m_result = FundChoice{{reinvest, rows, share, leastYtm}, Rows(), *schedule, limits};
    QDialog::accept();
}

} // namespace tenvix::ui
