// The two small entry dialogs of the portfolio: what they accept, what they
// refuse with which message, and that a refusal keeps them open with the
// texts as typed.

#include "portfolio/addbonddlg.h"
#include "portfolio/updatebonddlg.h"
#include "support/app.h"

using namespace tenvix;
using namespace tenvix::ui;

class TestPortfolioDialogs : public QObject {
    Q_OBJECT
    std::unique_ptr<test::FakeMessages> m_messages;

    // Enter in `dlg`; an empty `message` means it must accept silently,
    // otherwise it must say so as an error and stay open.
    void Submit(QDialog& dlg, const QString& message)
    {
        QTest::keyClick(&dlg, Qt::Key_Return);
        if (message.isEmpty()) {
            QVERIFY(m_messages->shown.isEmpty());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(m_messages->Texts(), QStringList{message});
            QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
            QVERIFY(dlg.isVisible());
        }
    }

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
        QTest::newRow("empty units are none") << "  GOV-1 \t" << "" << "" << "GOV-1" << 0.0;
        QTest::newRow("decimals, at the limit") << "B" << "1e12" << "" << "B" << 1e12;
        QTest::newRow("above the limit") << "B" << "1.1e12" << "Bad number of units !" << "" << 0.0;
        QTest::newRow("negative") << "B" << "-1" << "Bad number of units !" << "" << 0.0;
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
        dlg.show();
        auto* idBox = dlg.findChild<QLineEdit*>("id");
        auto* unitsBox = dlg.findChild<QLineEdit*>("units");
        idBox->setText(id);
        unitsBox->setText(units); // as if pasted: the box takes any text that way
        Submit(dlg, message);
        if (message.isEmpty()) {
            QFETCH(QString, wantId);
            QFETCH(double, wantUnits);
            QCOMPARE(dlg.m_strBondID, wantId);
            QCOMPARE(dlg.m_dUnits, wantUnits);
        } else {
            QCOMPARE(idBox->text() + "|" + unitsBox->text(), id + "|" + units);
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
        // Typing lets only digits in, eleven of them; pasting goes through.
        QTest::keyClicks(unitsBox, "1a2.3-4 5678901234");
        QCOMPARE(unitsBox->text(), QStringLiteral("12345678901"));
        unitsBox->clear();
        QApplication::clipboard()->setText(QStringLiteral("2.5"));
        QTest::keyClick(unitsBox, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(unitsBox->text(), QStringLiteral("2.5"));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(dlg.m_strBondID.isEmpty());
    }

    void updateBond_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("wantPrice");
        QTest::newRow("empty units") << "" << "97.5" << "" << 97.5;
        QTest::newRow("lowest price") << " 12" << "0.0001" << "" << 0.0001;
        QTest::newRow("highest price") << "1" << "1e18" << "" << 1e18;
        // A file can hold more units than the box lets anyone type.
        QTest::newRow("long units kept whole") << "1000000000000" << "50.00" << "" << 50.0;
        QTest::newRow("decimal units") << "2.5" << "97.5" << "Bad number of units !" << 0.0;
        QTest::newRow("units before price") << "-3" << "" << "Bad number of units !" << 0.0;
        QTest::newRow("zero price") << "1" << "0" << "Invalid price\nor out of range !" << 0.0;
        QTest::newRow("price too high") << "1" << "1.1e18" << "Invalid price\nor out of range !" << 0.0;
    }

    void updateBond()
    {
        QFETCH(QString, units);
        QFETCH(QString, price);
        QFETCH(QString, message);
        QString callerUnits = units, callerPrice = QStringLiteral("99.25");
        CUpdateBondDlg dlg;
        dlg.m_pstrUnits = &callerUnits;
        dlg.m_pstrPrice = &callerPrice;
        dlg.show();
        auto* unitsBox = dlg.findChild<QLineEdit*>("units");
        auto* priceBox = dlg.findChild<QLineEdit*>("price");
        QCOMPARE(unitsBox->text(), units);
        QCOMPARE(priceBox->text(), QStringLiteral("99.25"));
        priceBox->setText(price);
        Submit(dlg, message);
        if (message.isEmpty()) {
            QFETCH(double, wantPrice);
            QCOMPARE(dlg.m_dPrice, wantPrice);
            // The texts go back exactly as typed.
            QCOMPARE(callerUnits + "|" + callerPrice, units + "|" + price);
        } else {
            QCOMPARE(unitsBox->text() + "|" + priceBox->text(), units + "|" + price);
        }
    }
};

QTEST_MAIN(TestPortfolioDialogs)
#include "tst_portfoliodialogs.moc"
