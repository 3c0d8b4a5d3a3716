#pragma once

// The record form: shows one bond of the database at a time, lets the user
// edit, save, add, delete and step through records and analyse the bond the
// form holds. It owns the program's bond list; the document loads and stores
// through it, and the frame reaches the user's settings only through FormHost.

#include "editor/formhost.h"
#include "editor/formrules.h"
#include "model/bondlist.h"
#include "uikit/explained.h"

#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

class QCalendarWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QStackedWidget;
class QTabBar;

namespace tenvix::ui {

class DatePicker;
class IdLimit;
class PaymentGrid;

class CInView : public QWidget {
    Q_OBJECT
public:
    using Position = CBondList::Position;
    // Payments a Type II record shows at the most: the Periods box's top.
    static constexpr int kMaxPeriods = 200;

    explicit CInView(QWidget* parent = nullptr);
    ~CInView() override;

    // The frame that supplies the analysis settings and hears about changes;
    // nullptr leaves the form on its own (today's dates, no Square-M).
    void SetHost(FormHost* host);
    // What shows in the form's place while there is no record to show; an
    // empty text leaves the empty form in view.
    void SetEmptyHint(const QString& text);

    // After every New and Open: the first record becomes current and is shown.
    void OnInitialUpdate();

    // Shows the record at `pos`; -1 and no change when there is no current
    // record. Callers set m_posCurrent first.
    int FillForm(Position pos);
    // Makes `pos` current and shows it.
    int ShowRecordAt(Position pos);
    // Every field empty, both pickers today, one placeholder row, and the
    // identity fields disabled: the form of an empty database.
    void ClearForm();
    // Shows the current record's price again after another window changed it.
    void RefreshPrice();
    void ShowTypeControls(bool typeI);
    // One placeholder row.
    void ResetGrid();

    // Record commands. AddRecord returns 0, 1 when the user chose to stay on
    // the record shown, or -1 when the list could not take the record;
    // SaveRecord whether the form's record was written; WriteRecord returns
    // a form code.
    int AddRecord(int nType);
    bool SaveRecord();
    int WriteRecord(int nType);
    void DeleteRecord();
    void MoveFirst();
    void MovePrev();
    void MoveNext();
    void MoveLast();
    void OnAnalyse();
    // Deletes every bond maturing before the day of `before` and says how many.
    void DeleteMatured(double before);

    // Whether the form differs from what it showed of the current record
    // (typed, cleared, another tab); a grid cell counts once its editor has
    // closed, which the questions below see to.
    bool IsFormChanged() const;
    // Before a command moves away from the current record or replaces the
    // database: while the form is changed, asks "Save the changes to the
    // record ?". Yes saves as Save does (a refusal stays), No lets the
    // changes go, Cancel stays. True when the command may go on. The
    // question returns before the caller acts: nothing here changes the list
    // but the save of the record itself.
    bool ConfirmLeave();
    // As ConfirmLeave, for File Save, which does not move: No shows the
    // stored record again.
    bool ConfirmBeforeFileSave();

    // The Edit menu, on whichever text field has the focus.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnEditUndo();
    bool CanEditCopy() const;
    bool CanEditPaste() const;
    bool CanEditUndo() const;
    bool CanEditCut() const; // Copy's rule, and the field must be writable

    // The smallest size at which nothing is squeezed; larger sizes go to the
    // grid and the tab area, smaller ones scroll.
    QSize DesignSize() const;

    CBondList m_bondList;
    std::optional<Position> m_posCurrent; // no value: no current record
    bool m_bLayoutReady = false;

signals:
    // Focus, selection, text or clipboard changed: the Edit commands' enabled
    // states may have changed.
    void EditStateChanged();
    // After Analyse: the payments of the bond analysed, or why there are none.
    void Explained(const tenvix::ui::ExplainedAnalysis& analysis);
    void ExplainFailed(const QString& message);
    // An entry the analysis reads changed, or another record is shown: the
    // last explanation no longer describes the form.
    void EntriesChanged();
    // Any entry changed, or another record is shown: IsFormChanged may have.
    void FormEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Mnemonic {
        QChar key;
        QWidget* target;
        bool click; // a button: pressed, not just focused
    };
    // What the form shows, as the user could change it.
    struct Snapshot {
        QStringList texts; // identifier, name, price, coupon, pay period, face
        double release = 0.0;
        double maturity = 0.0;
        int tab = 0;
        int periods = 0;
        std::vector<GridRow> rows;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    Snapshot TakeSnapshot() const;
    // The form is what it shows of the current record from now on.
    void MarkShown();
    enum class Leave { Go, Discard, Stay };
    Leave AskToLeave();

    void BuildControls();
    QLabel* MakeLabel(const QString& text, const char* name);
    void ResetFields();
    // Shows a stored identifier whole, however long; typing keeps to the limit.
    void ShowID(const QString& id);
    // Shows a record's date; a day no picker holds shows as the nearest one
    // that does, and Save refuses until the user picks another.
    bool ShowDate(DatePicker* picker, double date);
    void SetIdentityEnabled(bool enabled);
    // The form, or the hint in its place when there is no current record.
    void UpdateEmptyPlace();
    void SelectTab(int index);
    void SyncGridRows();
    void OnEndLabelEdit(int row, int column, const QString& text);
    void OnInsertDate();
    void OnClear();
    void OnTabChange(int index);
    // The tab's entries in a scratch record, analysed; FormError when the
    // entries are refused. A result comes with its payments explained.
    editor::AnalysisOutcome AnalyseStd(Explanation& explanation);
    editor::AnalysisOutcome AnalyseFree(Explanation& explanation);
    // A form code's message; Type II words one of them its own way.
    void ReportError(int code, bool typeII = false);
    // The stored payments behind a grid that shows only the first of them,
    // while the grid is as FillForm wrote it; null when the grid is all
    // there is (no such record, or the user has changed the grid).
    const std::vector<CASHFLOW>* PaymentsBehindGrid() const;
    // Says once that the record shown has more payments than the grid shows,
    // from the main loop after the command that showed it, never inside
    // another box.
    void WarnPaymentsCut();
    void ShowAfterChange(std::optional<Position> pos);
    QWidget* MnemonicTarget(const QKeyEvent& key, bool* click) const;
    QLineEdit* FocusedTextField() const;
    void WatchFocusedField();
    FormHost& Host() const;

    FormHost* m_host = nullptr;
    bool m_bSquareM = false;
    bool m_bTypeI = true;
    bool m_bInitialized = false;
    bool m_bSettingTab = false;
    // What the shown record holds beyond the form: Save would lose it.
    bool m_bPaymentsCut = false;     // more payments than the grid's rows
    std::vector<GridRow> m_cutRows;  // the grid as FillForm wrote such a record
    std::size_t m_nCutWarning = 0;   // the payments to tell of, until told; 0 for none
    bool m_bReleaseUnshown = false;  // the release picker shows a stand-in
    bool m_bMaturityUnshown = false; // the maturity picker shows a stand-in
    std::vector<Mnemonic> m_mnemonics;
    std::optional<Snapshot> m_shown; // none while there is no current record
    QMetaObject::Connection m_watchSelection;
    QMetaObject::Connection m_watchText;

    QScrollArea* m_scroll = nullptr;
    QLabel* m_emptyHint = nullptr;
    QWidget* m_content = nullptr;
    QLineEdit* m_wndID = nullptr;
    IdLimit* m_idLimit = nullptr;
    QLineEdit* m_wndName = nullptr;
    QLineEdit* m_wndPrice = nullptr;
    QSpinBox* m_wndPeriods = nullptr;
    QLineEdit* m_wndCoupon = nullptr;
    QComboBox* m_wndPayPeriod = nullptr;
    QLineEdit* m_wndFace = nullptr;
    PaymentGrid* m_wndGrid = nullptr;
    DatePicker* m_wndMaturity = nullptr;
    QCalendarWidget* m_wndCalendar = nullptr;
    QPushButton* m_wndInsert = nullptr;
    QPushButton* m_wndAnalyse = nullptr;
    QPushButton* m_wndClear = nullptr;
    DatePicker* m_wndRelease = nullptr;
    QTabBar* m_wndTabs = nullptr;
    QFrame* m_wndTabArea = nullptr;
    QStackedWidget* m_wndGroups = nullptr;
};

} // namespace tenvix::ui
