#include "portfolio/portfoliodlg.h"

#include "model/analysismessages.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/solver.h"
#include "portfolio/addbonddlg.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfexplain.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/portfoliotable.h"
#include "portfolio/updatebonddlg.h"
#include "uikit/busycursor.h"
#include "uikit/buttons.h"
#include "uikit/fileio.h"
#include "uikit/resources.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tenvix::ui {
namespace {

const QString kFilter = QStringLiteral("Bond portfolio(*.bdp)");

QString Text(double value, int decimals) { return Qs(FormatFixed(value, decimals)); }

// The window's names for the rows' columns and pictures are the rows' own.
static_assert(CPortfolioDlg::ColStatus == static_cast<int>(RowColumn::Status) &&
              CPortfolioDlg::ColValue == static_cast<int>(RowColumn::Value) && CPortfolioDlg::ColCount == kRowColumns);
static_assert(CPortfolioDlg::PicReady == static_cast<int>(RowPicture::Ready) &&
              CPortfolioDlg::PicSuggested == static_cast<int>(RowPicture::Suggested));

} // namespace

CPortfolioDlg::CPortfolioDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Bond portfolio"));
    setObjectName(QStringLiteral("portfolioDlg"));
    InitResources();

    m_wndTop = new QLabel(this);
    m_wndTop->setObjectName(QStringLiteral("horizon"));

    m_rows = new PortfolioTable(this);
    m_wndList = new QTreeView(this);
    m_wndList->setObjectName(QStringLiteral("rows"));
    m_wndList->setModel(m_rows);
    // The widths suit a small system font; a wider font still shows the
    // figures whole rather than cut off.
    const QFontMetrics fm = m_wndList->fontMetrics();
    const int figure = fm.horizontalAdvance(QStringLiteral("00.00000000")) + 12;
    // clang-format off
    const int widths[ColCount] = {std::max(70, fm.horizontalAdvance(QStringLiteral("000000")) + 16 + 16),
                                  std::max(70, figure), std::max(70, figure), 90, std::max(70, figure), 70, 220, 70,
                                  std::max(90, fm.horizontalAdvance(QStringLiteral("0000000000.00")) + 12)};
    // clang-format on
    for (int c = 0; c < ColCount; ++c)
        m_wndList->setColumnWidth(c, widths[c]);
    m_wndList->header()->setStretchLastSection(false);
    m_wndList->header()->setSectionsMovable(false);
    m_wndList->setRootIsDecorated(false);
    m_wndList->setItemsExpandable(false);
    m_wndList->setUniformRowHeights(true);
    m_wndList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wndList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_wndList->setAllColumnsShowFocus(true);
    m_wndList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_wndList->setIconSize(QSize(16, 16));
    connect(m_wndList, &QTreeView::doubleClicked, this, [this] { Update(); });

    m_wndTotal = new QLabel(this);
    m_wndTotal->setObjectName(QStringLiteral("totalValue"));
    m_wndTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_rows, rowsChanged, this, &CPortfolioDlg::ShowTotalValue);
    connect(m_rows, &QAbstractItemModel::modelReset, this, &CPortfolioDlg::ShowTotalValue);
    connect(m_rows, &QAbstractItemModel::dataChanged, this, &CPortfolioDlg::ShowTotalValue);
    ShowTotalValue();

    m_wndProgress = new QProgressBar(this);
    m_wndProgress->setObjectName(QStringLiteral("progress"));
    m_wndProgress->setTextVisible(false);
    m_wndProgress->setFixedHeight(14);
    m_wndProgress->setRange(0, 1);
    m_wndProgress->setValue(0);

    m_wndClose =
        MakeButton(QStringLiteral("C&lose"), "close", QStringLiteral("Close the window"), &CPortfolioDlg::accept);
    m_wndClose->setDefault(true);
    m_wndCalculate = MakeButton(QStringLiteral("&Calculate"), "calculate",
                                QStringLiteral("Calculate the portfolio coefficients"), &CPortfolioDlg::Calculate);
    m_wndAdd = MakeButton(QStringLiteral("&Add"), "add", QStringLiteral("Add a bond by ID"), &CPortfolioDlg::Add);
    m_wndRemove = MakeButton(QStringLiteral("&Remove"), "remove", QStringLiteral("Remove the bond from the portfolio"),
                             &CPortfolioDlg::Remove);
    m_wndUpdate = MakeButton(QStringLiteral("&Update"), "update", QStringLiteral("Update the price and the weight"),
                             &CPortfolioDlg::Update);
    m_wndFindDup =
        MakeButton(QString(), "findDuplicates", QStringLiteral("Find duplicates"), &CPortfolioDlg::FindDuplicates);
    m_wndSave = MakeButton(QStringLiteral("&Save"), "save", QStringLiteral("Save the portfolio"), &CPortfolioDlg::Save);
    m_wndLoad = MakeButton(QStringLiteral("&Load"), "load", QStringLiteral("Load a portfolio"), &CPortfolioDlg::Load);
    m_wndSuggest = MakeButton(QStringLiteral("Su&ggest"), "suggest", QStringLiteral("Suggest bonds for inclusion"),
                              &CPortfolioDlg::Suggest);
    m_wndStop =
        MakeButton(QStringLiteral("S&top"), "stop", QStringLiteral("Stop suggest procedure"), &CPortfolioDlg::Stop);
    m_wndImmunize = MakeButton(QStringLiteral("I&mmunize..."), "immunize",
                               QStringLiteral("Build the portfolio that holds the horizon"), &CPortfolioDlg::Immunize);
    m_wndFund = MakeButton(QStringLiteral("&Fund schedule..."), "fund",
                           QStringLiteral("Buy the portfolio that pays a schedule of liabilities at least cost"),
                           &CPortfolioDlg::Fund);
    m_wndCashKept = new QLabel(this);
    m_wndCashKept->setObjectName(QStringLiteral("cashKept"));
    m_wndLowerBound = new QLabel(this);
    m_wndLowerBound->setObjectName(QStringLiteral("lowerBound"));
    for (QLabel* label : {m_wndCashKept, m_wndLowerBound}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->hide();
    }

    const int buttonWidth = std::max(m_wndCalculate->sizeHint().width(), fontMetrics().horizontalAdvance(u'x') * 12);
    for (QPushButton* b : {m_wndClose, m_wndCalculate, m_wndAdd, m_wndRemove, m_wndUpdate, m_wndSave, m_wndLoad,
                           m_wndSuggest, m_wndStop, m_wndImmunize, m_wndFund})
        b->setFixedWidth(std::max(buttonWidth, m_wndFund->sizeHint().width()));
    m_wndFindDup->setIcon(QIcon(QStringLiteral(":/portfolio/find_duplicates.png")));
    m_wndFindDup->setIconSize(QSize(16, 16));
    m_wndFindDup->setFixedSize(m_wndFindDup->sizeHint().height() + 4, m_wndAdd->sizeHint().height());

    auto* left = new QVBoxLayout;
    left->addWidget(m_wndTop);
    left->addWidget(m_wndList, 1);
    // Under the table: what a funding kept and its bound on the left, the
    // rows' total value on the right.
    auto* funding = new QHBoxLayout;
    funding->addWidget(m_wndCashKept);
    funding->addSpacing(16);
    funding->addWidget(m_wndLowerBound);
    funding->addStretch(1);
    funding->addWidget(m_wndTotal);
    left->addLayout(funding);
    left->addSpacing(8);
    left->addWidget(m_wndProgress);

    const int gap = fontMetrics().height();
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(m_wndClose);
    buttons->addWidget(m_wndCalculate);
    buttons->addSpacing(gap);
    buttons->addWidget(m_wndAdd);
    buttons->addWidget(m_wndRemove);
    buttons->addWidget(m_wndUpdate);
    buttons->addWidget(m_wndFindDup, 0, Qt::AlignLeft);
    buttons->addSpacing(gap);
    buttons->addWidget(m_wndSave);
    buttons->addWidget(m_wndLoad);
    buttons->addStretch(1);
    buttons->addWidget(m_wndSuggest);
    buttons->addWidget(m_wndStop);
    buttons->addWidget(m_wndImmunize);
    buttons->addWidget(m_wndFund);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    resize(620, 360);
    m_wndList->setFocus();
}

CPortfolioDlg::~CPortfolioDlg() = default;

QPushButton* CPortfolioDlg::MakeButton(const QString& text, const char* name, const QString& tip,
                                       void (CPortfolioDlg::*slot)())
{
    QPushButton* b = tenvix::ui::MakeButton(this, text, name, tip);
    connect(b, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
    return b;
}

void CPortfolioDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CPortfolioDlg::OnInitDialog()
{
    if (!QApplication::windowIcon().isNull())
        setWindowIcon(QApplication::windowIcon());
    m_bPricesChanged = false;
    m_dHorizonYears = m_pStandDate && m_pHorizon ? YearFraction(*m_pHorizon, *m_pStandDate) : 0.0;
    m_wndTop->setText(QStringLiteral("Inv,Horizon = ") + Text(m_dHorizonYears, 8) + QStringLiteral(" years"));
}

const PortfolioRows& CPortfolioDlg::Rows() const { return m_rows->Rows(); }

int CPortfolioDlg::RowCount() const { return Rows().Count(); }

QString CPortfolioDlg::CellText(int row, int column) const
{
    return Qs(Rows().Text(row, static_cast<RowColumn>(column)));
}

int CPortfolioDlg::RowPicture(int row) const
{
    return row >= 0 && row < RowCount() ? static_cast<int>(Rows().Row(row).picture) : -1;
}

int CPortfolioDlg::SelectedRow() const
{
    const QModelIndexList selected = m_wndList->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void CPortfolioDlg::SelectRow(int row) { m_wndList->setCurrentIndex(m_rows->index(row, 0)); }

void CPortfolioDlg::AddRow(const QString& id, double units)
{
    // The callers keep to the limit.
    if (Rows().Full() || !m_pBondList)
        return;
    m_rows->Append(PortfolioRows::Lookup(id.toStdString(), units, *m_pBondList, *m_pStandDate, *m_pHorizon, UiClock()));
    emit EntriesChanged();
}

void CPortfolioDlg::AddSuggestedRow(const SUGGESTION& s)
{
    if (Rows().Full() || !s.pBond)
        return;
    m_rows->Append(PortfolioRows::Suggested(s));
    emit EntriesChanged();
}

void CPortfolioDlg::Add()
{
    if (Rows().Full())
        return;
    CAddBondDlg dlg(this);
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    AddRow(dlg.m_strBondID, dlg.m_dUnits);
}

void CPortfolioDlg::Remove()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_rows->Remove(row);
    emit EntriesChanged();
}

void CPortfolioDlg::ShowTotalValue() { m_wndTotal->setText(Qs(TotalValueText(Rows().TotalValue()))); }

void CPortfolioDlg::RemoveAllRows()
{
    m_rows->Clear();
    emit EntriesChanged();
}

void CPortfolioDlg::Update()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    QString units = CellText(row, ColUnits);
    QString price = CellText(row, ColPrice);
    CUpdateBondDlg dlg(this);
    dlg.m_pstrUnits = &units;
    dlg.m_pstrPrice = &price;
    if (ExecModal(dlg) != QDialog::Accepted || row >= RowCount())
        return;
    const RowUpdate done = m_rows->Edit([&](PortfolioRows& rows) {
        return rows.Update(row, units.toStdString(), price.toStdString(), dlg.m_dPrice, UiClock());
    });
    if (done.priceChanged)
        m_bPricesChanged = true;
    emit EntriesChanged();
}

void CPortfolioDlg::Calculate()
{
    if (RowCount() == 0)
        return;
    if (const std::optional<int> r = Rows().FirstExcluded()) {
        const QString message = Qs(ExcludedRowMessage(Rows().Text(*r, RowColumn::ID), *r + 1));
        emit ExplainFailed(message);
        ShowError(this, message);
        return;
    }
    const std::vector<CBond*> bonds = Rows().ReadyBonds();
    const std::vector<double> units = Rows().AllUnits();
    ExplainedAnalysis explained;
    explained.stand = DaySerial(*m_pStandDate);
    explained.horizon = DaySerial(*m_pHorizon);
    PortfolioFigures p;
    {
        // Up to the portfolio's whole time budget, without a pause.
        const BusyCursor wait;
        PortfolioExplanation x = ExplainPortfolio(bonds, units, *m_pStandDate, *m_pHorizon, UiClock());
        p = x.figures;
        explained.explanation = std::move(x.explanation);
        explained.funding = FundingLadder();
    }
    const std::string message = OutcomeMessage(p.outcome);
    // The explanation first: the view behind this window shows it at once and
    // can be used as soon as the window closes.
    if (p.outcome == PortfolioOutcome::Ready)
        emit Explained(explained);
    else
        emit ExplainFailed(Qs(message.empty() ? AnalysisFailureText(AnalysisFailure::NoYield) : message));
    if (p.outcome == PortfolioOutcome::Ready)
        ShowResult(this, Qs(PortfolioResultText(p)));
    else if (!message.empty())
        ShowError(this, Qs(message));
}

void CPortfolioDlg::FindDuplicates()
{
    if (RowCount() < 2)
        return;
    const std::vector<std::string> ids = Rows().Ids();
    for (const auto& [j, k] : Rows().Duplicates()) {
        SelectRow(k);
        if (AskYesNo(this, Qs(DuplicateQuestion(Trim(ids[static_cast<std::size_t>(j)]))),
                     QString::fromLatin1(kAppName))) {
            Remove();
            return;
        }
    }
}

void CPortfolioDlg::Save() { SaveRows(); }

bool CPortfolioDlg::SaveRows()
{
    FileChoice choice;
    choice.startPath = m_strLastPath;
    choice.filters = {kFilter};
    choice.defaultSuffix = QStringLiteral("bdp");
    choice.confirmOverwrite = true;
    const QString path = FileChooser().ChooseSave(this, choice);
    if (path.isEmpty())
        return false;
    const std::string bytes = StorePortfolio(Rows().Entries());

    // Written beside the target and moved over it only when complete, so a
    // failed save never leaves a half-written portfolio in place.
    const FileResult saved = ReplaceWholeFile(path, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (saved.opened || saved.ok())
        m_strLastPath = path;
    if (!saved.ok()) {
        ReportFileFailure(saved, true);
        return false;
    }
    m_rows->Edit([](PortfolioRows& rows) { rows.SetChanged(false); });
    return true;
}

void CPortfolioDlg::Load()
{
    if (!MayDropRows())
        return;
    FileChoice choice;
    choice.startPath = m_strLastPath;
    choice.filters = {kFilter};
    choice.defaultSuffix = QStringLiteral("bdp");
    const QString path = FileChooser().ChooseOpen(this, choice);
    if (path.isEmpty())
        return;
    // Opened without waiting, and only a regular file is read: a pipe would
    // otherwise block the window for good.
    QByteArray bytes;
    FileResult read = ReadFileStart(path, bytes, qint64(kPortfolioFileReadLimit));
    // The whole file is read and checked before a row is touched, so a bad
    // file leaves the rows the user had.
    PortfolioFile loaded;
    if (read.ok()) {
        loaded = ReadPortfolio(std::as_bytes(std::span(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
        read.cause = CauseOf(loaded.error);
        read.opened = true;
    }
    if (!read.ok()) {
        ReportFileFailure(read, false);
        return;
    }
    RemoveAllRows();
    ForgetFunding();
    QStringList unread;
    for (const PortfolioEntry& row : loaded.rows) {
        AddRow(QString::fromStdString(row.id), row.units);
        if (!ShownUnits(row.units))
            unread << Qs(UnreadableUnitsMessage(RowCount(), row.units));
    }
    m_strLastPath = path;
    // The rows are the file's now.
    m_rows->Edit([](PortfolioRows& rows) { rows.SetChanged(false); });
    // Those rows stay, left out with the reason as their status.
    if (!unread.isEmpty())
        ShowError(this, unread.join(u'\n'));
}

void CPortfolioDlg::ReportFileFailure(const FileResult& result, bool saving)
{
    ShowError(this, Qs(PortfolioFileMessage(result.cause, result.opened, saving)));
}

void CPortfolioDlg::EnableCommands(bool enable)
{
    for (QPushButton* b : {m_wndClose, m_wndCalculate, m_wndAdd, m_wndRemove, m_wndUpdate, m_wndSave, m_wndLoad,
                           m_wndSuggest, m_wndFindDup, m_wndImmunize, m_wndFund})
        b->setEnabled(enable);
}

void CPortfolioDlg::done(int result)
{
    if (m_bScanning) {
        m_bCloseRequested = true;
        m_nCloseResult = result;
        return;
    }
    if (!MayDropRows())
        return;
    QDialog::done(result);
}

bool CPortfolioDlg::MayDropRows()
{
    // An empty window has nothing to lose; a second request while the
    // question is up waits for its answer.
    if (RowCount() == 0 || !Rows().Changed())
        return true;
    if (m_bAskingToDrop)
        return false;
    m_bAskingToDrop = true;
    const MsgAnswer answer = AskYesNoCancel(this, QString::fromLatin1(TextOf(PortfolioText::SaveChangedRows)));
    // A cancelled chooser or a failed save keeps the window and its rows.
    const bool drop = answer == MsgAnswer::No || (answer == MsgAnswer::Yes && SaveRows());
    m_bAskingToDrop = false;
    return drop;
}

} // namespace tenvix::ui
