#pragma once

// The portfolio window on its own, as the window tests drive it: opened over a
// bond list and two dates with the message boxes, file choosers and clock
// faked, its buttons clicked and its rows read back as the cells show them.
// A test class derives from PortfolioWindow beside QObject, calls Begin() in
// init() and End() in cleanup().

#include "model/format.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/portfoliodlg.h"
#include "support/app.h"

#include <functional>

namespace tenvix::test {

inline void Type(QDialog* dlg, const char* box, const QString& text) { dlg->findChild<QLineEdit*>(box)->setText(text); }

inline QString Fixed8(double v) { return QString::fromStdString(FormatFixed(v, 8)); }

// What Calculate says for these figures.
inline QString PortfolioResult(const PortfolioFigures& p)
{
    return "Bond portfolio :\nYTM=" + Fixed8(p.ytm) + "\nDuration=" + Fixed8(p.duration) +
           "\nSquare-M=" + Fixed8(p.squareM);
}

// The bytes of a portfolio file with these rows.
inline QByteArray Stored(const std::vector<PortfolioEntry>& rows)
{
    return QByteArray::fromStdString(StorePortfolio(rows));
}

inline void SelectRow(ui::CPortfolioDlg* dlg, int row)
{
    auto* list = dlg->findChild<QTreeView*>("rows");
    list->setCurrentIndex(list->model()->index(row, 0));
}

class PortfolioWindow {
protected:
    void Begin(double stand, double horizon)
    {
        m_messages = std::make_unique<FakeMessages>();
        m_chooser = std::make_unique<FakeFileChooser>();
        m_clock = std::make_unique<FakeClock>();
        m_db = CBondList();
        m_stand = stand;
        m_horizon = horizon;
    }
    void End()
    {
        ++m_watch;
        m_dlg.reset();
        m_clock.reset();
        m_chooser.reset();
        m_messages.reset();
    }
    // A new window over m_db, on screen, with nothing said yet.
    void OpenWindow()
    {
        m_dlg = std::make_unique<ui::CPortfolioDlg>();
        m_dlg->m_pStandDate = &m_stand;
        m_dlg->m_pHorizon = &m_horizon;
        m_dlg->m_pBondList = &m_db.m_list;
        QVERIFY(Exposed(m_dlg.get()));
        m_messages->Clear();
    }
    QPushButton* Button(const char* name) { return m_dlg->findChild<QPushButton*>(name); }
    // Clicks Calculate and returns what it said last.
    QString Calculate()
    {
        Button("calculate")->click();
        return m_messages->shown.isEmpty() ? QString() : m_messages->Last().text;
    }
    // Exactly one message was shown: this text under this caption.
    void Told(const QString& text, const QString& caption = QStringLiteral("Error"))
    {
        QCOMPARE(m_messages->Texts(), QStringList{text});
        QCOMPARE(m_messages->Last().caption, caption);
    }
    QStringList Column(int column) const
    {
        QStringList cells;
        for (int r = 0; r < m_dlg->RowCount(); ++r)
            cells << m_dlg->CellText(r, column);
        return cells;
    }

    // Watches the window from its event loop until it is busy (a Suggest
    // scan or an Immunize run): at the first look the commands must be off
    // but Stop and the list, and a close request must wait; at look `stopAt`
    // it clicks Stop. m_looks counts the looks that found the window busy,
    // m_busyProgress is the progress bar at the first.
    void StopWhenBusy(int stopAt)
    {
        m_looks = 0;
        m_polls = 0;
        m_poll = [this, stopAt, watch = ++m_watch] {
            if (watch != m_watch || ++m_polls > 1000)
                return;
            if (!m_dlg->IsScanning())
                return m_looks ? void() : QTimer::singleShot(0, m_poll);
            if (++m_looks == 1) {
                for (const char* name : {"close", "calculate", "add", "remove", "update", "findDuplicates", "save",
                                         "load", "suggest", "immunize", "fund"})
                    QVERIFY2(!Button(name)->isEnabled(), name);
                QVERIFY(Button("stop")->isEnabled());
                QVERIFY(m_dlg->findChild<QTreeView*>("rows")->isEnabled());
                m_busyProgress = m_dlg->findChild<QProgressBar*>("progress")->value();
                m_dlg->reject();
                QVERIFY(m_dlg->isVisible());
            }
            if (m_looks == stopAt)
                return QTest::mouseClick(Button("stop"), Qt::LeftButton);
            QTimer::singleShot(0, m_poll);
        };
        QTimer::singleShot(0, m_poll);
    }

    std::unique_ptr<FakeMessages> m_messages;
    std::unique_ptr<FakeFileChooser> m_chooser;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<ui::CPortfolioDlg> m_dlg;
    CBondList m_db;
    double m_stand = 0;
    double m_horizon = 0;
    int m_looks = 0;
    int m_busyProgress = 0;

private:
    std::function<void()> m_poll;
    int m_polls = 0;
    int m_watch = 0;
};

} // namespace tenvix::test
