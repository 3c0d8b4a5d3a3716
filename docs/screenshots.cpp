// Makes the pictures of the README and the user guide from the shipped sample
// database and price file, in the program's own windows, so that they show
// what the program shows and only the bonds the sample holds.
//
// Usage: tenvix_screenshots SAMPLE.bnd PRICES.csv OUTPUT_FOLDER
// (`cmake --build build --target screenshots` runs it on the offscreen
// platform and writes into docs/.)

#include "editor/inview.h"
#include "market/marketwindow.h"
#include "model/date.h"
#include "portfolio/funddlg.h"
#include "portfolio/portfoliodlg.h"
#include "prices/priceimportdlg.h"
#include "shell/mainframe.h"
#include "shell/mylistview.h"
#include "shell/tenvixapp.h"
#include "uikit/datepicker.h"
#include "uikit/resources.h"
#include "uikit/services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace tenvix;
using namespace tenvix::ui;

namespace {

// The dates every figure in the guide is given for.
constexpr int kStand[] = {2025, 6, 30};
constexpr int kHorizon[] = {2032, 6, 30};

// The whole-unit portfolio `tenvix-cli immunize` builds from the sample for
// these dates and an amount of 1e6.
const std::pair<const char*, double> kPortfolio[] = {
    {"ZERO-2032", 11104}, {"MUNI-2035", 75}, {"GOV-2034-A", 2}, {"GOV-2040-A", 1}};

QString g_folder;
int g_failures = 0;

void Fail(const QString& what)
{
    std::fprintf(stderr, "tenvix_screenshots: %s\n", qPrintable(what));
    ++g_failures;
}

// Lets the windows lay themselves out and paint.
void Settle(int ms = 300)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Save(QWidget* w, const char* name)
{
    if (!w)
        return Fail(QStringLiteral("no window for %1").arg(QLatin1String(name)));
    const QString path = g_folder + u'/' + QLatin1String(name);
    if (!w->grab().save(path))
        Fail(QStringLiteral("cannot write %1").arg(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// Runs `act` on the modal window of type T once it is up, from inside its
// event loop, as a user would.
template <class T, class F>
void WhenModal(F act)
{
    QTimer::singleShot(200, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* t = qobject_cast<T*>(w))
            return act(t);
        Fail(QStringLiteral("the expected window did not open"));
        if (w)
            w->close();
    });
}

// The box a command shows next: pictured when `name` is given, then closed.
void WhenBox(const char* name = nullptr)
{
    WhenModal<QMessageBox>([name](QMessageBox* box) {
        Settle();
        if (name)
            Save(box, name);
        box->accept();
    });
}

// Accepts the next box once it is up, however long the work before it takes.
void AcceptBoxWhenUp()
{
    auto* poll = new QTimer;
    poll->setInterval(100);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            box->accept();
        }
    });
    poll->start();
}

// Answers the next file chooser with one path.
class OnePath final : public FileChooserSeam {
public:
    explicit OnePath(QString path) : m_path(std::move(path)) {}
    QString ChooseOpen(QWidget*, const FileChoice&) override { return m_path; }
    QString ChooseSave(QWidget*, const FileChoice&) override { return {}; }

private:
    QString m_path;
};

QAbstractButton* Button(QWidget* in, const char* name)
{
    auto* b = in->findChild<QAbstractButton*>(QLatin1String(name));
    if (!b)
        Fail(QStringLiteral("no button %1").arg(QLatin1String(name)));
    return b;
}

double Date(const int (&ymd)[3]) { return MakeDate(ymd[0], ymd[1], ymd[2]).value_or(0.0); }

// The pictures' today: the guide's stand date, at noon, so that a first start
// pictured offers the run bar's dates the same on every run.
class StandDayClock final : public Clock {
public:
    std::int64_t Milliseconds() const override { return m_clock.elapsed(); }
    double Now() const override { return Date(kStand) + 0.5; }

private:
    QElapsedTimer m_clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

} // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: tenvix_screenshots SAMPLE.bnd PRICES.csv OUTPUT_FOLDER\n");
        return 2;
    }
    // Whole paths, as the run moves to a folder of its own.
    const QString sample = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString prices = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    g_folder = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();

    // Settings of its own, so that neither the user's layout shows nor the
    // run changes it.
    QTemporaryDir settings;
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/tenvix-sample-XXXXXX"));
    if (!settings.isValid() || !work.isValid())
        return 1;
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settings.path());
    // The sample and its price file copied, so that nothing can write to
    // them; the import window names the price file as the guide's commands
    // do from the source tree, examples/..., and no folder of anybody's.
    const QString database = work.filePath(QStringLiteral("sample.bnd"));
    const QString priceFile = QStringLiteral("examples/") + QFileInfo(prices).fileName();
    if (!QDir(work.path()).mkdir(QStringLiteral("examples")) || !QDir::setCurrent(work.path()) ||
        !QFile::copy(sample, database) || !QFile::copy(prices, priceFile)) {
        std::fprintf(stderr, "tenvix_screenshots: cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    QApplication::setOrganizationName(QStringLiteral("Quellmark"));
    QApplication::setApplicationName(QStringLiteral("tenvix"));
    InitResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    const StandDayClock clock;
    InstallClock(&clock);
    CTenvixApp app;
    if (!app.InitInstance({QStringLiteral("tenvix"), database}))
        return 1;
    CMainFrame* frame = app.MainFrame();
    // The window as a first start opens the sample: its size, its list, its
    // first record.
    Settle();
    Save(frame, "main-window.png");

    frame->resize(1100, 820);
    frame->findChild<DatePicker*>(QStringLiteral("StandDate"))->SetValue(Date(kStand));
    frame->findChild<DatePicker*>(QStringLiteral("Horizon"))->SetValue(Date(kHorizon));
    frame->Action(ID_SQUARE_M)->trigger();
    frame->Action(ID_VIEW_CASHFLOWS)->trigger();
    frame->resizeDocks({frame->CashflowsDock()}, {400}, Qt::Vertical);
    Settle();

    // The list of every bond beside the record form, on a bond of 2034, its
    // analysis in the box and in the Cashflows view.
    frame->m_wndSeekWhat->setEditText(QString());
    frame->Action(ID_SEEK)->trigger();
    frame->findChild<QSplitter*>(QStringLiteral("Splitter"))->setSizes({330, 770});
    // The columns drawn apart, as a reader of the list would.
    frame->ListView()->setColumnWidth(0, 95);
    frame->ListView()->setColumnWidth(1, 215);
    for (int k = 0; k < 2; ++k)
        frame->Action(ID_MOVE_NEXT)->trigger();
    WhenBox("result.png");
    Button(frame->Form(), "analyseButton")->click();
    Settle();
    Save(frame->CashflowsDock(), "cashflows.png");

    // The Market window: every bond against the curve fitted to them all.
    frame->Action(ID_VIEW_MARKET)->trigger();
    if (auto* market = frame->findChild<MarketWindow*>()) {
        market->resize(1100, 760);
        QElapsedTimer waited;
        waited.start();
        while (market->CurrentState() != MarketWindow::State::Current && waited.elapsed() < 30000)
            Settle(50);
        Settle();
        Save(market, "market.png");
        market->close();
    } else {
        Fail(QStringLiteral("the Market window did not open"));
    }

    // The portfolio window with the sample's immunized portfolio, calculated.
    WhenModal<CPortfolioDlg>([](CPortfolioDlg* dlg) {
        for (const auto& [id, units] : kPortfolio)
            dlg->AddRow(QString::fromLatin1(id), units);
        dlg->resize(1080, 420); // every column, the values last
        WhenBox("portfolio-result.png");
        Button(dlg, "calculate")->click();
        Settle();
        Save(dlg, "portfolio.png");
        // Rows added since the last Save: closing asks about them.
        WhenModal<QMessageBox>([](QMessageBox* box) {
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else
                box->reject();
        });
        Button(dlg, "close")->click();
    });
    frame->Action(ID_RUN_PORTFOLIO)->trigger();

    // The Fund schedule dialog with the sample schedule read in, then the
    // portfolio it buys, explained with its funding in the Cashflows view.
    OnePath schedule(QFileInfo(sample).dir().filePath(QStringLiteral("schedule.csv")));
    InstallFileChooser(&schedule);
    WhenModal<CPortfolioDlg>([](CPortfolioDlg* dlg) {
        dlg->resize(900, 420);
        WhenModal<FundDialog>([](FundDialog* fund) {
            Button(fund, "importCsv")->click();
            fund->resize(560, 520);
            Settle();
            Save(fund, "fund-schedule.png");
            AcceptBoxWhenUp(); // Calculate's result
            fund->accept();
        });
        Button(dlg, "fund")->click();
        Settle();
        Save(dlg, "portfolio-funded.png");
        WhenModal<QMessageBox>([](QMessageBox* box) {
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else
                box->reject();
        });
        Button(dlg, "close")->click();
    });
    frame->Action(ID_RUN_PORTFOLIO)->trigger();
    InstallFileChooser(nullptr);
    Settle();
    Save(frame->CashflowsDock(), "funding.png");

    // The price import's preview of the sample price file, left unapplied.
    OnePath chooser(priceFile);
    InstallFileChooser(&chooser);
    WhenModal<PriceImportDialog>([](PriceImportDialog* dlg) {
        Button(dlg, "fileButton")->click();
        dlg->resize(900, 380);
        Settle();
        Save(dlg, "price-import.png");
        dlg->reject();
    });
    frame->Action(ID_FILE_IMPORT_PRICES)->trigger();
    InstallFileChooser(nullptr);

    app.Document()->SetModifiedFlag(false);
    InstallClock(nullptr);
    return g_failures == 0 ? 0 : 1;
}
