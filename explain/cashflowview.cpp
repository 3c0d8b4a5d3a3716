#include "explain/cashflowview.h"

#include "explain/cashflowchart.h"
#include "explain/cashflowtable.h"
#include "explain/fundingchart.h"
#include "explain/horizonchart.h"
#include "uikit/fileio.h"
#include "uikit/services.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace tenvix::ui {

CashflowView::CashflowView(QWidget* parent)
    : QWidget(parent),
      m_wndLine(new QLabel(this)),
      m_wndSplitter(new QSplitter(Qt::Vertical, this)),
      m_wndCharts(new QSplitter(Qt::Horizontal, m_wndSplitter)),
      m_chart(new CashflowChart(m_wndCharts)),
      m_horizonChart(new HorizonChart(m_wndCharts)),
      m_fundingChart(new FundingChart(m_wndCharts)),
      m_table(new CashflowTable(m_wndSplitter)),
      m_wndSave(new QPushButton(TextOf(CashflowText::SaveCsv), this))
{
    setObjectName(QStringLiteral("cashflowView"));
    m_wndLine->setObjectName(QStringLiteral("stateLine"));
    m_wndLine->setTextFormat(Qt::PlainText);
    m_wndLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long line must not hold the dock wide when it is docked at a side:
    // it is cut, and its tooltip says it whole.
    m_wndLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_table->setObjectName(QStringLiteral("table"));
    m_wndSplitter->setObjectName(QStringLiteral("splitter"));
    m_wndSplitter->setChildrenCollapsible(false);
    // The ladder beside the horizon value, the ladder the wider: its dates
    // need the width more than 25 shifts do.
    m_wndCharts->setObjectName(QStringLiteral("charts"));
    m_wndCharts->setChildrenCollapsible(false);
    m_wndCharts->setStretchFactor(0, 3);
    m_wndCharts->setStretchFactor(1, 2);
    m_wndCharts->setSizes({600, 400});
    m_horizonChart->setMinimumWidth(200);
    m_horizonChart->setMinimumHeight(180);
    m_wndCharts->setStretchFactor(2, 3);
    m_fundingChart->setMinimumWidth(200);
    m_fundingChart->setMinimumHeight(180);
    m_fundingChart->hide();
    // The chart takes the larger part: its sticks need the height more than
    // the table needs rows.
    m_wndSplitter->setStretchFactor(0, 3);
    m_wndSplitter->setStretchFactor(1, 2);
    m_wndSplitter->setSizes({300, 200});
    m_chart->setMinimumHeight(180);
    m_table->setMinimumHeight(80);
    m_wndSave->setObjectName(QStringLiteral("saveCsv"));
    m_wndSave->setToolTip(TextOf(CashflowText::SaveCsvTip));
    m_wndSave->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_wndLine, 1);
    top->addWidget(m_wndSave);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(m_wndSplitter, 1);

    connect(m_table, &CashflowTable::SelectedPaymentsChanged, this,
            [this] { m_chart->Highlight(m_table->SelectedPayments()); });
    connect(m_wndSave, &QPushButton::clicked, this, &CashflowView::SaveCsv);
    SetState(State::Nothing, TextOf(CashflowText::Nothing));
}

void CashflowView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Docked at a side the view is narrow: the charts go one over the
    // other, each as wide as the dock, rather than squeezed side by side.
    const Qt::Orientation charts = width() < kChartsSideBySide ? Qt::Vertical : Qt::Horizontal;
    if (m_wndCharts->orientation() != charts)
        m_wndCharts->setOrientation(charts);
}

QString CashflowView::StateLine() const { return m_wndLine->text(); }

void CashflowView::SetState(State state, const QString& line)
{
    m_state = state;
    m_wndLine->setText(line);
    m_wndLine->setToolTip(line);
    const bool rows = state == State::Current || state == State::OutOfDate;
    m_wndSplitter->setVisible(rows);
    m_wndSave->setEnabled(rows);
    // Out of date stands out; the rest reads as the line above a table.
    QPalette palette = this->palette();
    if (state == State::OutOfDate)
        palette.setColor(QPalette::WindowText, QColor(0xb7, 0x1c, 0x1c));
    m_wndLine->setPalette(palette);
    QFont font = m_wndLine->font();
    font.setBold(state == State::OutOfDate || state == State::Failed);
    m_wndLine->setFont(font);
}

void CashflowView::ShowExplanation(ExplainSource source, const ExplainedAnalysis& analysis)
{
    m_source = source;
    m_shown = analysis;
    m_table->Model().SetExplanation(analysis.explanation);
    m_chart->Show(analysis);
    m_horizonChart->Show(analysis);
    if (analysis.funding) {
        m_fundingChart->Show(*analysis.funding);
        if (m_fundingChart->isHidden()) {
            // Three charts share the room: the ladder and the funding, with
            // their dates, take the larger parts.
            m_fundingChart->show();
            const QList<int> now = m_wndCharts->sizes();
            int total = 0;
            for (const int size : now)
                total += size;
            m_wndCharts->setSizes({total * 3 / 8, total / 4, total * 3 / 8});
        }
    } else {
        m_fundingChart->Clear();
        m_fundingChart->hide();
    }
    SetState(State::Current, SummaryLine(source, analysis.subject, analysis.explanation));
}

void CashflowView::ShowFailure(ExplainSource source, const QString& message)
{
    m_source = source;
    m_shown = {};
    m_table->Model().Clear();
    m_chart->Clear();
    m_horizonChart->Clear();
    m_fundingChart->Clear();
    m_fundingChart->hide();
    SetState(State::Failed, FailureLine(source, message));
}

namespace {
// How much a reason says: one that tells the rows' subject is gone outweighs
// one that tells it changed.
int Weight(OutOfDate reason)
{
    switch (reason) {
    case OutOfDate::Deleted:
        return 2;
    case OutOfDate::Replaced:
        return 1;
    default:
        return 0;
    }
}
} // namespace

void CashflowView::MarkOutOfDate(ExplainSource source, OutOfDate reason)
{
    if (source != m_source)
        return;
    if (m_state != State::Current && (m_state != State::OutOfDate || Weight(reason) <= Weight(m_reason)))
        return;
    m_reason = reason;
    SetState(State::OutOfDate, OutOfDateLine(source, reason));
    m_wndLine->setToolTip(SummaryLine(source, m_shown.subject, m_shown.explanation));
    // The rows stay to be read; a file of them would describe no record.
    m_wndSave->setEnabled(reason != OutOfDate::Deleted);
}

void CashflowView::SaveCsv()
{
    if (m_state != State::Current && (m_state != State::OutOfDate || m_reason == OutOfDate::Deleted))
        return;
    FileChoice choice;
    choice.startPath = m_strLastPath;
    choice.filters = {TextOf(CashflowText::CsvFilter)};
    choice.defaultSuffix = QStringLiteral("csv");
    const QString path = ChooseExportPath(this, choice, m_openDatabase ? m_openDatabase() : QString());
    if (path.isEmpty())
        return;
    const std::string bytes = ExplanationCsv(m_shown.explanation);
    const FileResult saved = ReplaceWholeFile(path, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (saved.opened || saved.ok())
        m_strLastPath = path;
    if (!saved.ok())
        ShowError(this, FileErrorMessage(saved.cause, path, true));
}

} // namespace tenvix::ui
