// Importing prices and bonds in the windows: the verdict on every row before
// anything changes, Apply and Cancel, what the frame and the price update
// window do afterwards, and files that are no price files. What the verdicts
// are is the core's test; here it is what the user sees of them.

#include "bondimport/bondimportdlg.h"
#include "prices/priceimportdlg.h"
#include "prices/priceupdatedlg.h"
#include "support/pricelist.h"
#include "support/windows.h"
#include "uikit/datetext.h"
#include "uikit/strings.h"

#include <sys/stat.h>

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::test;

namespace {

// Against the sample on its stand date, 6 December 2026.
const QByteArray kPrices = "ISIN;Kurs\r\n"
                           "GOV-2027-A;102\r\n"   // the form's record
                           "gov-2029-a;98\r\n"    // 97.10 before
                           "TSY-2028-S;130\r\n"   // a large change
                           "GOV-2034-A;114,2\r\n" // the stored float
                           "XX-UNKNOWN;5\r\n"
                           "GOV-2019-A;99\r\n" // matured in 2019
                           "ZERO-2027;abc\r\n";

const QByteArray kBonds = "type,id,name,release,maturity,price,coupon,period_months,face,payments\r\n"
                          "I,GOV-2027-A,Government 4.00% 2027,2017-07-04,2027-07-04,101.349998,4,12,100,\r\n"
                          "I,GOV-2029-A,Government 2.50% 2029,2019-02-15,2029-02-15,99,2.5,12,100,\r\n"
                          "II,NEW-1,New loan,2026-01-01,2030-01-01,90,,,,50@2028-01-01;50@2030-01-01\r\n"
                          "I,NEW-2,,2026-01-01,2036-01-01,100,abc,12,100,\r\n";

// A threshold, the answer to the question it brings, and what follows.
struct AskedCase {
    double threshold;
    MsgAnswer answer;
    QString question;
    float tsy;   // 130 in the file
    float gov29; // 98 in the file, 0.93 % up
    QString notice;
};

QString Summary(QWidget* dlg) { return dlg->findChild<QLabel*>("summary")->text(); }
QString Source(QWidget* dlg) { return dlg->findChild<QLabel*>("source")->text(); }

} // namespace

Q_DECLARE_METATYPE(AskedCase)

class TestImportWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<SampleApp> m_app;

    FakeMessages& Msgs() { return m_app->msgs; }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_app->dir.filePath(name);
        WriteAll(path, bytes);
        return path;
    }
    QString PriceText() { return m_app->frame->findChild<QLineEdit*>("priceEdit")->text(); }
    // The prices of the bonds named, in that order; without names, every
    // bond's in list order.
    std::vector<float> Prices(std::vector<std::string> ids = {})
    {
        const auto& list = m_app->frame->BondList().m_list;
        if (ids.empty())
            for (const auto& bond : list)
                ids.push_back(bond->m_strID);
        std::vector<float> prices;
        for (const std::string& id : ids)
            for (const auto& bond : list)
                if (bond->m_strID == id)
                    prices.push_back(bond->m_fPrice);
        return prices;
    }
    // Opens the import from the File menu, reads `path` in the window and
    // then runs `act` on it.
    template <class F>
    void ImportFromMenu(const QString& path, F act)
    {
        Import<PriceImportDialog>(*m_app, m_app->frame->Action(ID_FILE_IMPORT_PRICES), path, act);
    }

private slots:
    void init()
    {
        m_app = std::make_unique<SampleApp>();
        QVERIFY(m_app->frame);
    }
    void cleanup() { m_app.reset(); }

    // Each row with its figures and verdict before anything changes; the
    // threshold and the filter change what is flagged and shown, a click on
    // a heading sorts; Cancel leaves every price and the document alone.
    void previewShowsEveryRowThenCancelChangesNothing()
    {
        const std::vector<float> before = Prices();
        const QString path = Write("prices.csv", kPrices);
        ImportFromMenu(path, [&](PriceImportDialog* dlg) {
            QCOMPARE(dlg->findChild<QComboBox*>("decimalMark")->currentText(), QString("comma")); // from "114,2"
            // The verdicts themselves are the core's (PriceImport.VerdictsThenApply); one row's figures.
            QCOMPARE(Column(Verdicts(dlg), 5),
                     QStringList({"Update", "Update", "Update", "Unchanged", "Unknown", "Not alive", "Refused"}));
            QCOMPARE(Row(Verdicts(dlg), 2),
                     QStringList({"4", "TSY-2028-S", "99.40", "130.00", "30.78", "Update", "Large change !"}));
            QCOMPARE(Summary(dlg), QString("Rows: 7. To update: 3 (large changes: 1). Unchanged: 1. Unknown: 1. "
                                           "Not alive: 1. Refused: 1."));

            // The threshold, in ASCII digits whatever the locale.
            auto* threshold = dlg->findChild<QDoubleSpinBox*>("threshold");
            QCOMPARE(threshold->text(), QString("20.00 %"));
            threshold->setValue(0.8);
            QVERIFY(Summary(dlg).contains("(large changes: 2)"));
            QVERIFY(Verdicts(dlg)->index(1, 0).data(Qt::BackgroundRole).isValid());
            QVERIFY(!Verdicts(dlg)->index(0, 0).data(Qt::BackgroundRole).isValid());

            auto* filter = dlg->findChild<QComboBox*>("filter");
            filter->setCurrentText("Large changes");
            QCOMPARE(Verdicts(dlg)->rowCount(), 2);
            threshold->setValue(40.0);
            QCOMPARE(Verdicts(dlg)->rowCount(), 0);
            filter->setCurrentText("Refused");
            QCOMPARE(Verdicts(dlg)->rowCount(), 1);
            filter->setCurrentText("All rows");

            // Largest change first; rows without one last.
            auto* header = dlg->findChild<QTableView*>("verdicts")->horizontalHeader();
            for (int click = 0; click < 2; ++click)
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
            QCOMPARE(Column(Verdicts(dlg), 0), QStringList({"4", "3", "2", "5", "6", "7", "8"}));
            Click(dlg, "cancelButton");
        });
        QCOMPARE(Prices(), before);
        QVERIFY(!m_app->Doc().IsModified());
        QVERIFY(Msgs().shown.isEmpty());
        QCOMPARE(PriceText(), QString("101.35"));
    }

    // Apply stores the accepted prices in one step, then the frame does what
    // it does after a page of Update All is saved, and says how many.
    void applyFromTheMenu()
    {
        Msgs().Answer(MsgAnswer::Yes); // the large change too
        ImportFromMenu(Write("prices.csv", kPrices), [](PriceImportDialog* dlg) { Click(dlg, "applyButton"); });
        // The document then counts as changed: tst_heldopen's price imports are asked to save.
        QCOMPARE(Prices({"GOV-2027-A", "GOV-2029-A", "TSY-2028-S", "GOV-2019-A", "ZERO-2027"}),
                 std::vector<float>({102.0f, 98.0f, 130.0f, 100.0f, 98.3f}));
        QCOMPARE(PriceText(), QString("102.00"));
        QCOMPARE(Shown(Msgs().Last()),
                 std::tuple(QString("3 prices updated ."), QString("tenvix"), MsgIcon::Information, MsgButtons::Ok));

        // The clipboard is a source too; the chooser cancelled leaves the
        // window open for it.
        QGuiApplication::clipboard()->setText("ID\tPrice\nGOV-2027-A\t103.5\n");
        ImportFromMenu(QString(), [](PriceImportDialog* dlg) {
            QCOMPARE(Verdicts(dlg)->rowCount(), 0);
            QVERIFY(!dlg->findChild<QPushButton*>("applyButton")->isEnabled());
            Click(dlg, "clipboardButton");
            QCOMPARE(Source(dlg), QString("the clipboard"));
            Click(dlg, "applyButton");
        });
        QCOMPARE(Prices({"GOV-2027-A"}), std::vector<float>{103.5f});
    }

    // Apply asks once before it stores changes beyond the threshold: No
    // stores only the others, Cancel nothing and the window stays. Yes, which
    // stores them too, is the menu's test above.
    void applyAsksAboutLargeChanges_data()
    {
        QTest::addColumn<AskedCase>("c");
        const QString one = "1 price changes by more than 20.00 % . Store it too ?";
        const QString two = "2 prices change by more than 0.75 % . Store them too ?";
        QTest::newRow("no") << AskedCase{20.0, MsgAnswer::No, one, 99.4f, 98.0f, "2 prices updated ."};
        QTest::newRow("no, two") << AskedCase{0.75, MsgAnswer::No, two, 99.4f, 97.1f, "1 price updated ."};
        QTest::newRow("cancel") << AskedCase{20.0, MsgAnswer::Cancel, one, 99.4f, 97.1f, ""};
    }
    void applyAsksAboutLargeChanges()
    {
        QFETCH(AskedCase, c);
        Msgs().Answer(c.answer);
        bool openAfterCancel = false;
        ImportFromMenu(Write("prices.csv", kPrices), [&](PriceImportDialog* dlg) {
            dlg->findChild<QDoubleSpinBox*>("threshold")->setValue(c.threshold);
            Click(dlg, "applyButton");
            QCOMPARE(Shown(Msgs().shown.value(0)),
                     std::tuple(c.question, QString("Question"), MsgIcon::Question, MsgButtons::YesNoCancel));
            openAfterCancel = dlg->isVisible();
        });
        QCOMPARE(openAfterCancel, c.notice.isEmpty());
        QCOMPARE(Prices({"TSY-2028-S", "GOV-2029-A"}), std::vector<float>({c.tsy, c.gov29}));
        QCOMPARE(Msgs().Texts().mid(1), c.notice.isEmpty() ? QStringList() : QStringList{c.notice});
        QCOMPARE(m_app->Doc().IsModified(), !c.notice.isEmpty());
    }

    // "1.012" with no other price to tell the mark is refused; the window
    // shows the mark it found and takes the user's word for it.
    void decimalMark()
    {
        const QString path = Write("prices.csv", "ISIN;Kurs\r\nGOV-2027-A;1.012\r\nGOV-2029-A;98\r\n");
        ImportFromMenu(path, [&](PriceImportDialog* dlg) {
            auto* mark = dlg->findChild<QComboBox*>("decimalMark");
            QVERIFY(mark->isEnabled());
            QCOMPARE(mark->currentIndex(), -1);
            QCOMPARE(Row(Verdicts(dlg), 0),
                     QStringList({"2", "GOV-2027-A", "", "", "", "Refused", "Ambiguous number !"}));
            mark->setCurrentText("point");
            QCOMPARE(Row(Verdicts(dlg), 0),
                     QStringList({"2", "GOV-2027-A", "101.35", "1.01", "-99.00", "Update", "Large change !"}));
            mark->setCurrentText("comma");
            QCOMPARE(dlg->File().decimalMark, DecimalMark::Comma);
        });
    }

    // Clean quotes per 100 of face: the choice judges the rows anew and
    // shows the quote and the accrued interest beside the price to store;
    // a Type II row is refused; the choice is remembered for the next import.
    void cleanQuotes()
    {
        const QString path = Write("quotes.csv", "ISIN;Kurs\r\nGOV-2027-A;102\r\nMUNI-2035;99,5\r\nAMORT-2030;96\r\n");
        ImportFromMenu(path, [&](PriceImportDialog* dlg) {
            auto* quotes = dlg->findChild<QComboBox*>("quotes");
            QCOMPARE(quotes->currentText(), QString("Paid prices"));
            QCOMPARE(Verdicts(dlg)->columnCount(), 7);
            quotes->setCurrentText("Clean quotes per 100 of face");
            QStringList headings;
            for (int c = 0; c < Verdicts(dlg)->columnCount(); ++c)
                headings << Verdicts(dlg)->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(headings, QStringList({"Line", "ID", "Old price", "New price", "Quote", "Accrued", "Change %",
                                            "Verdict", "Reason"}));
            // On 6 December 2026 the annual coupon of 4 due 4 July 2027 has
            // run 1 - (7/12 - 2/365) of its year (1.6885845 with the time as
            // the record keeps it, a float); MUNI's 45 due 1 June 2035,
            // 1/2 + 5/365 of its year, on a face of 1000.
            QCOMPARE(Rows(Verdicts(dlg)),
                     QList<QStringList>(
                         {{"2", "GOV-2027-A", "101.35", "103.69", "102.00", "1.688585", "2.31", "Update", ""},
                          {"3", "MUNI-2035", "1012.50", "1018.12", "99.50", "23.116439", "0.55", "Update", ""},
                          {"4", "AMORT-2030", "96.40", "", "96.00", "", "", "Refused",
                           "Clean quotes need a Type I bond !"}}));
            // A click on Accrued sorts by it.
            auto* header = dlg->findChild<QTableView*>("verdicts")->horizontalHeader();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(5) + 5, header->height() / 2));
            QCOMPARE(Column(Verdicts(dlg), 0), QStringList({"2", "3", "4"}));
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(5) + 5, header->height() / 2));
            QCOMPARE(Column(Verdicts(dlg), 0), QStringList({"3", "2", "4"}));
            // Back to paid prices: the file's numbers, in the file's order.
            quotes->setCurrentText("Paid prices");
            QCOMPARE(Verdicts(dlg)->columnCount(), 7);
            QCOMPARE(Row(Verdicts(dlg), 0),
                     QStringList({"2", "GOV-2027-A", "101.35", "102.00", "0.64", "Update", ""}));
            quotes->setCurrentText("Clean quotes per 100 of face");
            Click(dlg, "applyButton");
        });
        QCOMPARE(Prices({"GOV-2027-A", "MUNI-2035", "AMORT-2030"}),
                 std::vector<float>({float(102.0 + 4.0 * 1849.0 / 4380.0), float(995.0 + 45.0 * 2250.0 / 4380.0),
                                     96.4f}));
        QCOMPARE(Msgs().Texts(), QStringList{"2 prices updated ."});

        // The next import starts with clean quotes, and so does the one of
        // the price update window; Cancel keeps a choice changed too.
        ImportFromMenu(path, [&](PriceImportDialog* dlg) {
            auto* quotes = dlg->findChild<QComboBox*>("quotes");
            QCOMPARE(quotes->currentText(), QString("Clean quotes per 100 of face"));
            QCOMPARE(Verdicts(dlg)->columnCount(), 9);
            quotes->setCurrentText("Paid prices");
            Click(dlg, "cancelButton");
        });
        QString second;
        WhenModal<CPriceUpdateDlg>([&](CPriceUpdateDlg* upd) {
            m_app->chooser.Answer(QString());
            WhenModal<PriceImportDialog>([&](PriceImportDialog* dlg) {
                second = dlg->findChild<QComboBox*>("quotes")->currentText();
                Click(dlg, "fileButton");
                Click(dlg, "cancelButton");
            });
            Click(upd, "importButton");
            Click(upd, "closeButton");
        });
        m_app->frame->Action(ID_UPDATE_ALL)->trigger();
        QCOMPARE(second, QString("Paid prices"));
    }

    // Files that hold no prices get their reason and change nothing: what the
    // window showed stays, and so does every price. The reader's other
    // refusals take the binary file's way to the window.
    void filesThatAreNoPriceFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QByteArray junk(100000, '\x01');
        junk[99999] = '\0';
        QTest::newRow("binary") << junk << "This is not a text file .";
        QTest::newRow("too large") << QByteArray() << "The file is larger than 256 MB .";
        QTest::newRow("pipe") << QByteArray() << "pipe";
        QTest::newRow("folder") << QByteArray() << "folder";
    }
    void filesThatAreNoPriceFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QString path = m_app->dir.filePath("bad.csv");
        if (message == "pipe" || message == "folder") {
            // Refused unopened, in the command line's words.
            QVERIFY(message == "pipe" ? ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0
                                      : QDir().mkdir(path));
            message = path + " is not a regular file .";
        } else if (bytes.isEmpty()) {
            // Two gigabytes, none of them on disk: refused from the size.
            WriteAll(path, "GOV-2027-A;1\n");
            QVERIFY(QFile::resize(path, qint64(2) << 30));
        } else {
            WriteAll(path, bytes);
        }
        const std::vector<float> before = Prices();
        const QString good = Write("good.csv", kPrices);
        ImportFromMenu(good, [&](PriceImportDialog* dlg) {
            m_app->chooser.Answer(path);
            Click(dlg, "fileButton");
            QCOMPARE(Msgs().Texts(), QStringList{message});
            QCOMPARE(Msgs().Last().caption, QString("tenvix"));
            QCOMPARE(Source(dlg), good);
            QCOMPARE(Verdicts(dlg)->rowCount(), 7);
        });
        QCOMPARE(Prices(), before);
        QVERIFY(!m_app->Doc().IsModified());
    }

    // Update All shows the bonds alive on the stand date and, closed without
    // a save, changes nothing. From that window, prices typed on the page are
    // first saved or dropped as for a page change; afterwards the page shows
    // the new prices, and the frame marks the database once the window closes.
    void importFromThePriceUpdateWindow()
    {
        int rows = -1;
        WhenModal<CPriceUpdateDlg>([&rows](CPriceUpdateDlg* upd) {
            rows = PriceList(upd)->model()->rowCount();
            Click(upd, "closeButton");
        });
        m_app->frame->Action(ID_UPDATE_ALL)->trigger();
        QCOMPARE(rows, 24); // of the sample's 28 bonds, all that mature after 6 December 2026
        QVERIFY(!m_app->Doc().IsModified());

        const QString path = Write("prices.csv", kPrices);
        bool modifiedInside = true;
        QStringList page;
        WhenModal<CPriceUpdateDlg>([&](CPriceUpdateDlg* upd) {
            const QAbstractItemModel* list = PriceList(upd)->model();
            QVERIFY(GoToBond(upd, "BILL-2027-03"));
            QVERIFY(TypeIntoPrice(upd, "77"));
            // The question is the page change's (Cancel and No are
            // tst_priceupdate's typedPricesAreNeverDroppedWithoutAsking).
            Msgs().Answer(MsgAnswer::Yes);
            Msgs().Answer(MsgAnswer::Yes); // the large change too
            m_app->chooser.Answer(path);
            WhenModal<PriceImportDialog>([](PriceImportDialog* dlg) {
                Click(dlg, "fileButton");
                Click(dlg, "applyButton");
            });
            Click(upd, "importButton");
            QCOMPARE(Msgs().Texts(),
                     QStringList({"Save changed prices ?", "1 price changes by more than 20.00 % . Store it too ?",
                                  "3 prices updated ."}));
            modifiedInside = m_app->Doc().IsModified();
            const QStringList ids = Column(list, 1), prices = Column(list, 0), marks = Column(list, 3);
            for (int r = 0; r < ids.size(); ++r)
                if (ids[r].startsWith("GOV-2027") || ids[r].startsWith("BILL"))
                    page << prices[r] + " " + marks[r];
            Click(upd, "closeButton");
        });
        m_app->frame->Action(ID_UPDATE_ALL)->trigger();
        QCOMPARE(page, QStringList({"77.00 ", "102.00 "}));
        QVERIFY(!modifiedInside);
        QVERIFY(m_app->Doc().IsModified());
        QCOMPARE(PriceText(), QString("102.00"));
    }

    // The bond import's preview shows every row's verdict and the counts with
    // nothing changed. What Apply does and says is tst_heldopen's
    // bondImportHoldsTheOpen; where records go is
    // BondImport.ApplyAddsInFileOrderAndReplacesInPlace.
    void bondImportPreview()
    {
        const QString path = Write("bonds.csv", kBonds);
        Import<BondImportDialog>(*m_app, m_app->frame->Action(ID_FILE_IMPORT_BONDS), path, [&](BondImportDialog* dlg) {
            QCOMPARE(Source(dlg), path);
            QCOMPARE(Rows(Verdicts(dlg)), QList<QStringList>({{"2", "GOV-2027-A", "Unchanged", ""},
                                                              {"3", "GOV-2029-A", "Replace", ""},
                                                              {"4", "NEW-1", "Add", ""},
                                                              {"5", "NEW-2", "Refused", "Invalid Coupon !"}}));
            QCOMPARE(Summary(dlg), QString("Rows: 4. To add: 1. To replace: 1. Unchanged: 1. Refused: 1."));
            QVERIFY(!m_app->Doc().IsModified());
        });
    }

    // A bank's list: a drop-down per column with the import's guess, the
    // record each row makes beside its verdict, clean quotes unless the user
    // says otherwise; a changed column or choice judges the rows anew, and
    // Apply stores what the window last showed. The choice is remembered.
    void bankList()
    {
        const QString path = Write("bank.csv", "ISIN;Bezeichnung;Kupon;F\xC3\xA4lligkeit;Kurs;Schlusskurs;Nominal\r\n"
                                               "QZ1;Bund;2,5;15.02.2035;98,75;99,00;100\r\n"
                                               "GOV-2027-A;Government 4.00% 2027;4;04.07.2027;102;101;100\r\n"
                                               "QZ3;Pfandbrief;0;01/02/2030;88;88;100\r\n");
        const auto boxes = [](BondImportDialog* dlg) {
            QStringList texts;
            for (int c = 1; auto* box = dlg->findChild<QComboBox*>(QString("column%1").arg(c)); ++c)
                texts << box->currentText();
            return texts;
        };
        // On 6 December 2026 the coupon paid each 15 February has run 1 - (2/12 + 9/365) of its year.
        const double accrued = 2.5 * (10.0 / 12 - 9.0 / 365);
        const auto amount = [](double value) { return Qs(FormatAmount(static_cast<float>(value))); };
        Import<BondImportDialog>(*m_app, m_app->frame->Action(ID_FILE_IMPORT_BONDS), path, [&](BondImportDialog* dlg) {
            QCOMPARE(boxes(dlg), QStringList({"ID", "Name", "Coupon rate %", "Maturity", "Price", "(not used)",
                                              "Face value"}));
            QCOMPARE(dlg->findChild<QComboBox*>("quotes")->currentText(), QString("Clean quotes per 100 of face"));
            QStringList headings;
            for (int c = 0; c < Verdicts(dlg)->columnCount(); ++c)
                headings << Verdicts(dlg)->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(headings, QStringList({"Line", "ID", "Verdict", "Coupon", "Face", "Price", "Release", "Maturity",
                                            "Reason"}));
            QCOMPARE(Rows(Verdicts(dlg)),
                     QList<QStringList>({{"2", "QZ1", "Add", "2.50", "100.00", amount(98.75 + accrued),
                                          FormatDate(Day(2026, 2, 15)), FormatDate(Day(2035, 2, 15)), ""},
                                         {"3", "GOV-2027-A", "Replace", "4.00", "100.00",
                                          amount(102 + 4 * (5.0 / 12 + 2.0 / 365)), FormatDate(Day(2026, 7, 4)),
                                          FormatDate(Day(2027, 7, 4)), ""},
                                         {"4", "QZ3", "Refused", "", "", "", "", "",
                                          QString::fromUtf8("F\xC3\xA4lligkeit: Ambiguous date !")}}));
            QCOMPARE(Summary(dlg), QString("Rows: 3. To add: 1. To replace: 1. Unchanged: 0. Refused: 1."));

            // The closing price in place of the guess: the guess's column is then unused.
            dlg->findChild<QComboBox*>("column6")->setCurrentText("Price");
            QCOMPARE(boxes(dlg).mid(4, 2), QStringList({"(not used)", "Price"}));
            QCOMPARE(Column(Verdicts(dlg), 5).first(), amount(99 + accrued));
            // Paid prices: the quote of the face value alone.
            dlg->findChild<QComboBox*>("quotes")->setCurrentText("Paid prices");
            QCOMPARE(Column(Verdicts(dlg), 5).first(), QString("99.00"));
            // A column a list must have, taken away: nothing to judge, and it says why.
            dlg->findChild<QComboBox*>("column3")->setCurrentText("(not used)");
            QCOMPARE(Verdicts(dlg)->rowCount(), 0);
            QCOMPARE(Summary(dlg), QString("No column of coupon rates found ."));
            QVERIFY(!dlg->findChild<QPushButton*>("applyButton")->isEnabled());
            dlg->findChild<QComboBox*>("column3")->setCurrentText("Coupon rate %");
            Click(dlg, "applyButton");
        });
        QCOMPARE(Msgs().Texts(), QStringList{"1 bond added and 1 replaced ."});
        QCOMPARE(Prices({"QZ1", "GOV-2027-A"}), std::vector<float>({99.0f, 101.0f}));
        QVERIFY(m_app->Doc().IsModified());

        // The next list starts with paid prices; a file that is no list of
        // bonds at all is told so in the own format's words.
        const QString other = Write("other.csv", "Depot;Notes\r\nA;B\r\n");
        Import<BondImportDialog>(*m_app, m_app->frame->Action(ID_FILE_IMPORT_BONDS), path, [&](BondImportDialog* dlg) {
            QCOMPARE(dlg->findChild<QComboBox*>("quotes")->currentText(), QString("Paid prices"));
            m_app->chooser.Answer(other);
            Click(dlg, "fileButton");
            QVERIFY(Msgs().Last().text.startsWith("This is not a file of bonds: its first line must be"));
            QCOMPARE(Source(dlg), path);
            // Another list brings its own columns.
            m_app->chooser.Answer(Write("en.csv", "isin,coupon,maturity,price\r\nQZ9,1,2030-01-01,99\r\n"));
            Click(dlg, "fileButton");
            QCOMPARE(boxes(dlg), QStringList({"ID", "Coupon rate %", "Maturity", "Price"}));
            QCOMPARE(Row(Verdicts(dlg), 0).mid(1, 5), QStringList({"QZ9", "Add", "1.00", "100.00", "99.00"}));
        });
    }
};

QTEST_MAIN(TestImportWindows)
#include "tst_importwindows.moc"
