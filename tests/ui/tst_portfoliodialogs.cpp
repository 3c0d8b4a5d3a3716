// The two small entry dialogs of the portfolio: what they accept, what they
// refuse with which message, and that a refusal keeps them open with the
// texts as typed.

#include "portfolio/addbonddlg.h"
#include "portfolio/updatebonddlg.h"
#include "support/fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tenvix;
using namespace tenvix::ui;

class TestPortfolioDialogs : public QObject {
    Q_OBJECT
private slots:
    void init() { m_messages = std::make_unique<test::FakeMessages>(); }
    void cleanup() { m_messages.reset(); }

    void addBond_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("wantId");
        QTest::addColumn<double>("wantUnits");
        QTest::newRow("empty units are none") << "GOV-1" << "" << "" << "GOV-1" << 0.0;
        QTest::newRow("blanks around the id") << "  GOV-1 \t" << "12" << "" << "GOV-1" << 12.0;
        QTest::newRow("decimals") << "B" << "2.5" << "" << "B" << 2.5;
        QTest::newRow("exponent at the limit") << "B" << "1e12" << "" << "B" << 1e12;
        QTest::newRow("leading blanks and sign") << "B" << " +7" << "" << "B" << 7.0;
        QTest::newRow("above the limit") << "B" << "2e12" << "Bad number of units !" << "" << 0.0;
        QTest::newRow("negative") << "B" << "-1" << "Bad number of units !" << "" << 0.0;
        QTest::newRow("trailing text") << "B" << "12x" << "Bad number of units !" << "" << 0.0;
        QTest::newRow("blanks only") << "B" << "   " << "Bad number of units !" << "" << 0.0;
        QTest::newRow("id of blanks") << "   " << "5" << "Empty ID" << "" << 0.0;
        QTest::newRow("units checked first") << "" << "x" << "Bad number of units !" << "" << 0.0;
    }

    void addBond()
    {
        QFETCH(QString, id);
        QFETCH(QString, units);
        QFETCH(QString, message);
        CAddBondDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Add Bond by ID"));
        dlg.show();
        auto* idBox = dlg.findChild<QLineEdit*>("id");
        auto* unitsBox = dlg.findChild<QLineEdit*>("units");
        QVERIFY(idBox && unitsBox);
        QVERIFY(idBox->text().isEmpty() && unitsBox->text().isEmpty());
        idBox->setText(id);
        unitsBox->setText(units); // as if pasted: the box takes any text that way
        QTest::keyClick(&dlg, Qt::Key_Return);
        if (message.isEmpty()) {
            QVERIFY(m_messages->shown.isEmpty());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(!dlg.isVisible());
            QFETCH(QString, wantId);
            QFETCH(double, wantUnits);
            QCOMPARE(dlg.m_strBondID, wantId);
            QCOMPARE(dlg.m_dUnits, wantUnits);
        } else {
            QCOMPARE(m_messages->Texts(), QStringList{message});
            QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
            QCOMPARE(m_messages->Last().icon, MsgIcon::Exclamation);
            QVERIFY(dlg.isVisible());
            QCOMPARE(idBox->text(), id);
            QCOMPARE(unitsBox->text(), units);
        }
    }

    void addBondBoxLimits()
    {
        CAddBondDlg dlg;
        dlg.show();
        auto* idBox = dlg.findChild<QLineEdit*>("id");
        auto* unitsBox = dlg.findChild<QLineEdit*>("units");
        QTest::keyClicks(idBox, "ABCDEFGHIJKLMNOPQ");
        QCOMPARE(idBox->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
        // Typing lets only digits in; pasting goes through as it is.
        QTest::keyClicks(unitsBox, "1a2.3-4 5");
        QCOMPARE(unitsBox->text(), QStringLiteral("12345"));
        QTest::keyClicks(unitsBox, "678901234");
        QCOMPARE(unitsBox->text(), QStringLiteral("12345678901"));
        unitsBox->clear();
        QApplication::clipboard()->setText(QStringLiteral("2.5"));
        QTest::keyClick(unitsBox, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(unitsBox->text(), QStringLiteral("2.5"));
        // Cancel leaves the fields as constructed.
        idBox->setText("X");
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(dlg.m_strBondID.isEmpty());
        QCOMPARE(dlg.m_dUnits, 0.0);
    }

    void updateBond_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("wantPrice");
        QTest::newRow("empty units") << "" << "97.5" << "" << 97.5;
        QTest::newRow("whole units") << " 12" << "97.5" << "" << 97.5;
        QTest::newRow("lowest price") << "1" << "0.0001" << "" << 0.0001;
        QTest::newRow("highest price") << "1" << "1e18" << "" << 1e18;
        QTest::newRow("decimal units") << "2.5" << "97.5" << "Bad number of units !" << 0.0;
        QTest::newRow("negative units") << "-3" << "97.5" << "Bad number of units !" << 0.0;
        QTest::newRow("units before price") << "x" << "" << "Bad number of units !" << 0.0;
        QTest::newRow("zero price") << "1" << "0" << "Invalid price\nor out of range !" << 0.0;
        QTest::newRow("empty price") << "1" << "" << "Invalid price\nor out of range !" << 0.0;
        QTest::newRow("price too high") << "1" << "1.1e18" << "Invalid price\nor out of range !" << 0.0;
        QTest::newRow("price text") << "1" << "97,5" << "Invalid price\nor out of range !" << 0.0;
    }

    void updateBond()
    {
        QFETCH(QString, units);
        QFETCH(QString, price);
        QFETCH(QString, message);
        QString callerUnits = QStringLiteral("100"), callerPrice = QStringLiteral("99.25");
        CUpdateBondDlg dlg;
        dlg.m_pstrUnits = &callerUnits;
        dlg.m_pstrPrice = &callerPrice;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Update bond"));
        auto* unitsBox = dlg.findChild<QLineEdit*>("units");
        auto* priceBox = dlg.findChild<QLineEdit*>("price");
        QCOMPARE(unitsBox->text(), QStringLiteral("100"));
        QCOMPARE(priceBox->text(), QStringLiteral("99.25"));
        unitsBox->setText(units);
        priceBox->setText(price);
        QTest::keyClick(&dlg, Qt::Key_Return);
        if (message.isEmpty()) {
            QVERIFY(m_messages->shown.isEmpty());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QFETCH(double, wantPrice);
            QCOMPARE(dlg.m_dPrice, wantPrice);
            // The texts go back exactly as typed.
            QCOMPARE(callerUnits, units);
            QCOMPARE(callerPrice, price);
        } else {
            QCOMPARE(m_messages->Texts(), QStringList{message});
            QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
            QVERIFY(dlg.isVisible());
            QCOMPARE(unitsBox->text(), units);
            QCOMPARE(priceBox->text(), price);
        }
    }

    void updateShowsLongUnitsWhole()
    {
        // A file can hold more units than the box lets anyone type.
        QString units = QStringLiteral("1000000000000"), price = QStringLiteral("50.00");
        CUpdateBondDlg dlg;
        dlg.m_pstrUnits = &units;
        dlg.m_pstrPrice = &price;
        dlg.show();
        QCOMPARE(dlg.findChild<QLineEdit*>("units")->text(), units);
        if (qEnvironmentVariableIsSet("TENVIX_SCREENSHOTS")) {
            const QString dir = qEnvironmentVariable("TENVIX_SCREENSHOTS");
            dlg.grab().save(dir + "/updatebond.png");
            CAddBondDlg add;
            add.show();
            add.grab().save(dir + "/addbond.png");
        }
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(units, QStringLiteral("1000000000000"));
    }

private:
    std::unique_ptr<test::FakeMessages> m_messages;
};

QTEST_MAIN(TestPortfolioDialogs)
#include "tst_portfoliodialogs.moc"
