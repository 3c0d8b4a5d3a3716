#include "portfolio/portfoliodlg.h"

#include "model/analysismessages.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/solver.h"
#include "portfolio/addbonddlg.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/duplicates.h"
#include "portfolio/core/portfexplain.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/updatebonddlg.h"
#include "uikit/busycursor.h"
#include "uikit/buttons.h"
#include "uikit/fileio.h"
#include "uikit/resources.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tenvix::ui {
namespace {

const QString kFilter = QStringLiteral("Bond portfolio(*.bdp)");

QString Text(double value, int decimals) { return Qs(FormatFixed(value, decimals)); }

double NumberOf(const QString& text) { return ReadLeadingDecimal(text.toStdString()); }

} // namespace

CPortfolioDlg::CPortfolioDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Bond portfolio"));
    setObjectName(QStringLiteral("portfolioDlg"));
    InitResources();

    const QPixmap strip(QStringLiteral(":/portfolio/portfolio_status.png"));
    for (int i = 0; i < 4; ++i)
        m_pictures[static_cast<std::size_t>(i)] = QIcon(strip.copy(16 * i, 0, 16, 16));

    m_wndTop = new QLabel(this);
    m_wndTop->setObjectName(QStringLiteral("horizon"));

    m_wndList = new QTreeWidget(this);
    m_wndList->setObjectName(QStringLiteral("rows"));
    m_wndList->setColumnCount(ColCount);
    m_wndList->setHeaderLabels({QStringLiteral("Units"), QStringLiteral("Duration"), QStringLiteral("Square-M"),
                                QStringLiteral("ID"), QStringLiteral("YTM"), QStringLiteral("Price"),
                                QStringLiteral("Name"), QStringLiteral("Status")});
    // The widths suit a small system font; a wider font still shows the
    // figures whole rather than cut off.
    const QFontMetrics fm = m_wndList->fontMetrics();
    const int figure = fm.horizontalAdvance(QStringLiteral("00.00000000")) + 12;
    // clang-format off
    const int widths[ColCount] = {std::max(70, fm.horizontalAdvance(QStringLiteral("000000")) + 16 + 16),
                                  std::max(70, figure), std::max(70, figure), 90, std::max(70, figure), 70, 220, 70};
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
    connect(m_wndList, &QTreeWidget::itemDoubleClicked, this, [this] { Update(); });

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

    const int buttonWidth = std::max(m_wndCalculate->sizeHint().width(), fontMetrics().horizontalAdvance(u'x') * 12);
    for (QPushButton* b : {m_wndClose, m_wndCalculate, m_wndAdd, m_wndRemove, m_wndUpdate, m_wndSave, m_wndLoad,
                           m_wndSuggest, m_wndStop, m_wndImmunize})
        b->setFixedWidth(buttonWidth);
    m_wndFindDup->setIcon(QIcon(QStringLiteral(":/portfolio/find_duplicates.png")));
    m_wndFindDup->setIconSize(QSize(16, 16));
    m_wndFindDup->setFixedSize(m_wndFindDup->sizeHint().height() + 4, m_wndAdd->sizeHint().height());

    auto* left = new QVBoxLayout;
    left->addWidget(m_wndTop);
    left->addWidget(m_wndList, 1);
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
    m_pReady.fill(nullptr);
    m_bPricesChanged = false;
    m_dHorizonYears = m_pStandDate && m_pHorizon ? YearFraction(*m_pHorizon, *m_pStandDate) : 0.0;
    m_wndTop->setText(QStringLiteral("Inv,Horizon = ") + Text(m_dHorizonYears, 8) + QStringLiteral(" years"));
}

QTreeWidgetItem* CPortfolioDlg::Item(int row) const { return m_wndList->topLevelItem(row); }

QString CPortfolioDlg::CellText(int row, int column) const
{
    const QTreeWidgetItem* item = Item(row);
    return item ? item->text(column) : QString();
}

int CPortfolioDlg::RowPicture(int row) const
{
    const QTreeWidgetItem* item = Item(row);
    return item ? item->data(ColUnits, Qt::UserRole).toInt() : -1;
}

int CPortfolioDlg::SelectedRow() const
{
    const QList<QTreeWidgetItem*> selected = m_wndList->selectedItems();
    return selected.isEmpty() ? -1 : m_wndList->indexOfTopLevelItem(selected.constFirst());
}

void CPortfolioDlg::SetPicture(int row, int picture)
{
    QTreeWidgetItem* item = Item(row);
    item->setIcon(ColUnits, m_pictures[static_cast<std::size_t>(picture)]);
    item->setData(ColUnits, Qt::UserRole, picture);
}

void CPortfolioDlg::AddRow(const QString& id, double units)
{
    // The callers keep to the limit; the row arrays must never be overrun.
    if (m_nRows >= kPortfolioRows || !m_pBondList)
        return;
    const int row = m_nRows;
    auto* item = new QTreeWidgetItem;
    item->setText(ColUnits, Text(units, 0));
    item->setText(ColID, id);
    m_wndList->addTopLevelItem(item);
    SetPicture(row, PicProblem);
    CBond* b = FindBondByID(*m_pBondList, id.toStdString());
    m_pFound[static_cast<std::size_t>(row)] = b;
    if (b) {
        item->setText(ColName, QString::fromStdString(b->m_strName));
        item->setText(ColPrice, Text(b->m_fPrice, 2));
        const RowFigures f = AnalyseRow(*b, *m_pStandDate, *m_pHorizon, UiClock());
        if (f.status == RowStatus::Ready) {
            item->setText(ColYTM, Text(f.ytm, 8));
            item->setText(ColDuration, Text(f.duration, 8));
            item->setText(ColSquareM, Text(f.squareM, 8));
            m_pReady[static_cast<std::size_t>(row)] = b;
            SetPicture(row, PicReady);
        } else {
            item->setText(ColStatus, QString::fromLatin1(StatusText(f.status)));
        }
    } else {
        item->setText(ColStatus, QString::fromLatin1(StatusText(RowStatus::NotFound)));
        SetPicture(row, PicNotFound);
    }
    ++m_nRows;
    RowsChanged();
}

void CPortfolioDlg::AddSuggestedRow(const SUGGESTION& s)
{
    if (m_nRows >= kPortfolioRows || !s.pBond)
        return;
    const int row = m_nRows;
    auto* item = new QTreeWidgetItem;
    item->setText(ColUnits, QStringLiteral("0"));
    item->setText(ColDuration, Text(s.dDuration, 8));
    item->setText(ColSquareM, Text(s.dSquareM, 8));
    item->setText(ColYTM, Text(s.dYield, 8));
    item->setText(ColPrice, Text(s.pBond->m_fPrice, 2));
    item->setText(ColID, QString::fromStdString(s.pBond->m_strID));
    item->setText(ColName, QString::fromStdString(s.pBond->m_strName));
    m_wndList->addTopLevelItem(item);
    SetPicture(row, PicSuggested);
    m_pReady[static_cast<std::size_t>(row)] = s.pBond;
    m_pFound[static_cast<std::size_t>(row)] = s.pBond;
    ++m_nRows;
    RowsChanged();
}

void CPortfolioDlg::Add()
{
    if (m_nRows >= kPortfolioRows)
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
    delete m_wndList->takeTopLevelItem(row);
    for (int i = row; i + 1 < m_nRows; ++i) {
        m_pReady[static_cast<std::size_t>(i)] = m_pReady[static_cast<std::size_t>(i) + 1];
        m_pFound[static_cast<std::size_t>(i)] = m_pFound[static_cast<std::size_t>(i) + 1];
    }
    m_pReady[static_cast<std::size_t>(m_nRows) - 1] = nullptr;
    m_pFound[static_cast<std::size_t>(m_nRows) - 1] = nullptr;
    --m_nRows;
    RowsChanged();
}

void CPortfolioDlg::RowsChanged()
{
    m_bRowsChanged = true;
    emit EntriesChanged();
}

void CPortfolioDlg::RemoveAllRows()
{
    m_wndList->clear();
    m_pReady.fill(nullptr);
    m_pFound.fill(nullptr);
    m_nRows = 0;
    RowsChanged();
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
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    QTreeWidgetItem* item = Item(row);
    if (!item)
        return;
    if (item->text(ColUnits) != units) {
        item->setText(ColUnits, units);
        m_bRowsChanged = true;
    }
    emit EntriesChanged();
    CBond* b = m_pFound[static_cast<std::size_t>(row)];
    if (!b || !(std::fabs(dlg.m_dPrice - NumberOf(item->text(ColPrice))) >= 1e-6))
        return;
    m_bRowsChanged = true;

    b->m_fPrice = static_cast<float>(dlg.m_dPrice);
    m_bPricesChanged = true;
    item->setText(ColPrice, price);
    for (int c : {ColDuration, ColSquareM, ColYTM, ColStatus})
        item->setText(c, QString());
    // The dates are those the row was added with.
    const RowFigures f = ReanalyseRow(*b, UiClock());
    int picture = PicProblem;
    if (f.status == RowStatus::Ready) {
        item->setText(ColYTM, Text(f.ytm, 8));
        item->setText(ColDuration, Text(f.duration, 8));
        item->setText(ColSquareM, Text(f.squareM, 8));
        m_pReady[static_cast<std::size_t>(row)] = b;
        picture = PicReady;
    } else {
        item->setText(ColStatus, QString::fromLatin1(StatusText(f.status)));
        m_pReady[static_cast<std::size_t>(row)] = nullptr;
    }
    SetPicture(row, picture);
    PropagateRow(row, picture);
}

void CPortfolioDlg::PropagateRow(int r, int picture)
{
    CBond* b = m_pFound[static_cast<std::size_t>(r)];
    if (!b)
        return;
    const int copied[] = {ColYTM, ColDuration, ColSquareM, ColStatus, ColPrice};
    for (int i = 0; i < m_nRows; ++i) {
        if (i == r || m_pFound[static_cast<std::size_t>(i)] != b)
            continue;
        for (int c : copied)
            Item(i)->setText(c, CellText(r, c));
        SetPicture(i, picture);
        m_pReady[static_cast<std::size_t>(i)] = picture == PicReady || picture == PicSuggested ? b : nullptr;
    }
}

void CPortfolioDlg::Calculate()
{
    if (m_nRows == 0)
        return;
    for (int r = 0; r < m_nRows; ++r)
        if (!m_pReady[static_cast<std::size_t>(r)]) {
            const QString message = Qs(ExcludedRowMessage(CellText(r, ColID).toStdString(), r + 1));
            emit ExplainFailed(message);
            ShowError(this, message);
            return;
        }
    std::vector<CBond*> bonds(m_pReady.begin(), m_pReady.begin() + m_nRows);
    std::vector<double> units;
    for (int r = 0; r < m_nRows; ++r)
        units.push_back(NumberOf(CellText(r, ColUnits)));
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
    if (m_nRows < 2)
        return;
    std::vector<std::string> ids;
    for (int r = 0; r < m_nRows; ++r)
        ids.push_back(CellText(r, ColID).toStdString());
    for (const auto& [j, k] : DuplicatePairs(ids)) {
        m_wndList->setCurrentItem(Item(k));
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
    std::vector<PortfolioEntry> rows;
    for (int r = 0; r < m_nRows; ++r)
        rows.push_back({CellText(r, ColID).toStdString(), NumberOf(CellText(r, ColUnits))});
    const std::string bytes = StorePortfolio(rows);

    // Written beside the target and moved over it only when complete, so a
    // failed save never leaves a half-written portfolio in place.
    const FileResult saved = ReplaceWholeFile(path, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (saved.opened || saved.ok())
        m_strLastPath = path;
    if (!saved.ok()) {
        ReportFileFailure(saved, true);
        return false;
    }
    m_bRowsChanged = false;
    return true;
}

void CPortfolioDlg::Load()
{
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
    for (const PortfolioEntry& row : loaded.rows)
        AddRow(QString::fromStdString(row.id), row.units);
    m_strLastPath = path;
    // The rows are the file's now.
    m_bRowsChanged = false;
}

void CPortfolioDlg::ReportFileFailure(const FileResult& result, bool saving)
{
    ShowError(this, Qs(PortfolioFileMessage(result.cause, result.opened, saving)));
}

void CPortfolioDlg::EnableCommands(bool enable)
{
    for (QPushButton* b : {m_wndClose, m_wndCalculate, m_wndAdd, m_wndRemove, m_wndUpdate, m_wndSave, m_wndLoad,
                           m_wndSuggest, m_wndFindDup, m_wndImmunize})
        b->setEnabled(enable);
}

void CPortfolioDlg::Suggest()
{
    if (m_bScanning || m_nRows > kSuggestMaxRows || !m_pBondList)
        return;
    try {
        m_pSuggest = std::make_unique<SuggestLists>();
    } catch (const std::bad_alloc&) {
        return;
    }
    EnableCommands(false);
    m_bScanning = true;
    try {
        ScanBonds();
        PresentSuggestions();
    } catch (const std::exception&) {
        // The rows appended so far stay; the window goes back to normal.
    } catch (const CUserException&) {
    }
    m_pSuggest.reset();
    EndScanning();
}

void CPortfolioDlg::EndScanning()
{
    m_wndProgress->setValue(0);
    EnableCommands(true);
    m_bScanning = false;
    if (m_bCloseRequested) {
        m_bCloseRequested = false;
        done(m_nCloseResult);
    }
}

void CPortfolioDlg::Immunize()
{
    if (m_bScanning || !m_pBondList || !m_pStandDate || !m_pHorizon)
        return;
    CImmunizeDlg dlg(m_immunize, this);
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    m_immunize = dlg.Entries();
    const ImmunizeLimits limits = dlg.Limits();
    EnableCommands(false);
    m_bScanning = true;
    std::optional<ImmunizeResult> result = RunImmunize(limits);
    m_wndProgress->setValue(m_wndProgress->maximum());
    // Stop pressed after the search had ended still leaves the rows alone:
    // the user asked for nothing to change.
    if (result && !m_bStop) {
        try {
            PresentImmunized(*result, limits.maxRows);
        } catch (const std::exception&) {
            // The window goes back to normal.
        }
    }
    EndScanning();
}

std::optional<ImmunizeResult> CPortfolioDlg::RunImmunize(const ImmunizeLimits& limits)
{
    m_bStop = false;
    constexpr int kSteps = 1000;
    m_wndProgress->setRange(0, kSteps);
    m_wndProgress->setValue(0);
    // The worker reads the bond list itself. The run counts as a nested
    // loop, so an open that arrives meanwhile waits for it; the window's
    // commands are off, and the window is modal, so nothing else changes
    // the list either.
    const NestedLoopScope running;
    const CBondList::List& bonds = *m_pBondList;
    const double stand = *m_pStandDate;
    const double horizon = *m_pHorizon;
    const Clock& clock = UiClock();
    std::atomic<std::size_t> done = 0;
    std::atomic<std::size_t> total = 0;
    std::optional<ImmunizeResult> result;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            result = ImmunizeList(bonds, limits, stand, horizon, clock, [&](std::size_t reached, std::size_t all) {
                done = reached;
                total = all;
                return !m_bStop;
            });
        } catch (...) {
            // Out of memory, say: nothing changes, and nothing escapes the thread.
            result.reset();
        }
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer ticks;
    ticks.setInterval(40);
    connect(&ticks, &QTimer::timeout, this, [&] {
        const std::size_t all = total;
        if (all > 0)
            m_wndProgress->setValue(static_cast<int>(static_cast<double>(done) / static_cast<double>(all) * kSteps));
    });
    ticks.start();
    worker->start();
    loop.exec();
    // A loop ended by the program quitting: the worker is told to stop.
    if (!worker->isFinished())
        m_bStop = true;
    worker->wait();
    if (result && result->failure == ImmunizeFailure::Stopped)
        result.reset();
    return result;
}

void CPortfolioDlg::PresentImmunized(const ImmunizeResult& result, int maxRows)
{
    if (result.failure != ImmunizeFailure::None) {
        ShowError(this,
                  Qs(ImmunizeFailureText(result, maxRows, Trim(m_immunize.share.toStdString()), m_dHorizonYears)));
        return;
    }
    if (m_nRows > 0 && !AskYesNo(this, QString::fromLatin1(TextOf(PortfolioText::ReplaceRows))))
        return;
    RemoveAllRows();
    // As Add shows them: the same lookup, figures and statuses.
    for (const ImmunizedRow& row : result.rows)
        AddRow(Qs(row.bond.id), row.units);
    Calculate();
}

void CPortfolioDlg::ScanBonds()
{
    const std::size_t total = m_pBondList->size();
    if (total == 0)
        return;
    m_wndProgress->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    m_wndProgress->setValue(0);
    m_bStop = false;
    // Events are handled a few dozen times a second rather than after every
    // bond: enough for Stop, painting and the list, without slowing a large
    // database down.
    ThrottledPump pump(UiClock(), m_nPumpIntervalMs);
    // The events let through may carry an open; it waits for the scan.
    const NestedLoopScope pumping;
    tenvix::ScanBonds(*m_pBondList, *m_pStandDate, *m_pHorizon, *m_pSuggest, UiClock(),
                      [&](std::size_t reached, std::size_t) {
                          if (pump.Due()) {
                              m_wndProgress->setValue(static_cast<int>(std::min<std::size_t>(reached, INT_MAX)));
                              QCoreApplication::processEvents();
                          }
                          return !m_bStop;
                      });
    m_wndProgress->setValue(m_wndProgress->maximum());
}

void CPortfolioDlg::PresentSuggestions()
{
    const std::vector<SuggestedRow> rows = tenvix::PresentSuggestions(*m_pSuggest, m_nRows);
    if (rows.empty()) {
        ShowInformation(this, QString::fromLatin1(TextOf(PortfolioText::NothingSuggested)));
        return;
    }
    for (const SuggestedRow& r : rows)
        AddSuggestedRow(r.suggestion);
}

void CPortfolioDlg::done(int result)
{
    if (m_bScanning) {
        m_bCloseRequested = true;
        m_nCloseResult = result;
        return;
    }
    if (!MayClose())
        return;
    QDialog::done(result);
}

bool CPortfolioDlg::MayClose()
{
    // An empty window has nothing to lose; a second close while the question
    // is up waits for its answer.
    if (m_nRows == 0 || !m_bRowsChanged)
        return true;
    if (m_bAskingToClose)
        return false;
    m_bAskingToClose = true;
    const MsgAnswer answer = AskYesNoCancel(this, QString::fromLatin1(TextOf(PortfolioText::SaveOnClose)));
    // A cancelled chooser or a failed save keeps the window and its rows.
    const bool close = answer == MsgAnswer::No || (answer == MsgAnswer::Yes && SaveRows());
    m_bAskingToClose = false;
    return close;
}

} // namespace tenvix::ui
