#include "prices/priceupdatedlg.h"

#include "model/priceupdate.h"
#include "prices/importtexts.h"
#include "prices/priceimportdlg.h"
#include "prices/pricepagetable.h"
#include "prices/updatetexts.h"
#include "uikit/buttons.h"
#include "uikit/services.h"
#include "uikit/strings.h"
#include "uikit/typeddecimal.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tenvix::ui {

namespace {

using enum PricePageTable::Column;

// The price list: whichever cell of a row the user starts editing, it is the
// price that gets edited. Editing starts only on F2, Enter or a double click;
// typing looks for an identifier, as in any list, so that keys meant for
// something else change no price.
class PriceList final : public QTreeView {
public:
    using QTreeView::QTreeView;

    bool IsEditing() const { return state() == EditingState; }

    void keyboardSearch(const QString& search) override
    {
        // The view searches the current cell's column.
        const QModelIndex current = currentIndex();
        if (current.isValid() && current.column() != kColID)
            selectionModel()->setCurrentIndex(current.siblingAtColumn(kColID), QItemSelectionModel::NoUpdate);
        else if (!current.isValid() && model()->rowCount() > 0)
            selectionModel()->setCurrentIndex(model()->index(0, kColID), QItemSelectionModel::NoUpdate);
        QTreeView::keyboardSearch(search);
    }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        return QTreeView::edit(index.siblingAtColumn(kColPrice), trigger, event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        // Enter opens the price rather than pressing the window's default
        // button; in an open editor it ends the editing as usual.
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && !IsEditing() && currentIndex().isValid() && !(event->modifiers() & ~Qt::KeypadModifier)) {
            if (edit(currentIndex(), EditKeyPressed, event)) {
                event->accept();
                return;
            }
        }
        QTreeView::keyPressEvent(event);
    }
};

} // namespace

// A horizontal pair of arrows that steps through the pages; the arrow keys do
// the same while it has the focus. What the user asks for is only a request:
// the window decides whether the page may change.
class PageScroller final : public QWidget {
    Q_OBJECT
public:
    explicit PageScroller(QWidget* parent) : QWidget(parent)
    {
        setFocusPolicy(Qt::StrongFocus);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        m_prev = MakeArrow(Qt::LeftArrow, QStringLiteral("previousPage"), -1);
        m_next = MakeArrow(Qt::RightArrow, QStringLiteral("nextPage"), +1);
        layout->addWidget(m_prev);
        layout->addWidget(m_next);
        UpdateArrows();
    }

    int Value() const { return m_value; }
    void SetRange(int minimum, int maximum)
    {
        m_min = minimum;
        m_max = std::max(minimum, maximum);
        SetValue(m_value);
    }
    void SetValue(int value)
    {
        value = std::clamp(value, m_min, m_max);
        const bool changed = value != m_value;
        m_value = value;
        UpdateArrows();
        if (changed)
            emit ValueChanged(m_value);
    }

    // Lets go of a held arrow, whose auto-repeat would go on stepping while a
    // question is open.
    void Release()
    {
        m_prev->setDown(false);
        m_next->setDown(false);
    }

signals:
    void ValueChanged(int value);
    void Requested(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            Request(m_value - 1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            Request(m_value + 1);
            break;
        case Qt::Key_Home:
            Request(m_min);
            break;
        case Qt::Key_End:
            Request(m_max);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
        event->accept();
    }

private:
    void Request(int value)
    {
        value = std::clamp(value, m_min, m_max);
        if (value != m_value)
            emit Requested(value);
    }
    QToolButton* MakeArrow(Qt::ArrowType arrow, const QString& name, int step)
    {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, step] { Request(m_value + step); });
        return button;
    }
    void UpdateArrows()
    {
        m_prev->setEnabled(m_value > m_min);
        m_next->setEnabled(m_value < m_max);
    }

    int m_min = 1;
    int m_max = 1;
    int m_value = 1;
    QToolButton* m_prev;
    QToolButton* m_next;
};

// The in-place editor of the Price column. The dialog decides whether a typed
// price is taken.
class PriceDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PriceDelegate(CPriceUpdateDlg* dlg) : QStyledItemDelegate(dlg), m_dlg(dlg) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (index.column() != kColPrice)
            return nullptr;
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("priceEditor"));
        editor->setMaxLength(kMaxPriceText);
        m_editor = editor;
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        m_bAccepted = m_dlg->CommitPrice(index.row(), static_cast<QLineEdit*>(editor)->text());
    }

    // Ends an edit still open, as leaving the cell would; false when the
    // typed price was refused.
    bool CommitOpenEditor()
    {
        m_bAccepted = true;
        if (QLineEdit* editor = m_editor) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
        return m_bAccepted;
    }

private:
    CPriceUpdateDlg* m_dlg;
    mutable QPointer<QLineEdit> m_editor;
    mutable bool m_bAccepted = true;
};

CPriceUpdateDlg::CPriceUpdateDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("priceUpdateDlg"));
    setWindowTitle(QStringLiteral("Update the price of all matched bonds"));

    m_wndScroll = new PageScroller(this);
    m_wndScroll->setObjectName(QStringLiteral("scrollPages"));
    m_wndScroll->setToolTip(QStringLiteral("Scroll pages"));

    m_wndPage = new QLineEdit(QStringLiteral("1"), this);
    m_wndPage->setObjectName(QStringLiteral("currentPage"));
    m_wndPage->setToolTip(QStringLiteral("Current page"));
    m_wndPage->setReadOnly(true);
    m_wndPage->setFocusPolicy(Qt::NoFocus);
    m_wndPage->setFixedWidth(m_wndPage->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);

    m_wndOf = new QLabel(QStringLiteral("of 1"), this);
    m_wndOf->setObjectName(QStringLiteral("pageCount"));

    m_wndSave =
        MakeButton(this, QStringLiteral("&Save"), "saveButton", QStringLiteral("Save the changes on this page"));
    m_wndSave->setAutoDefault(false);

    m_wndClose = MakeButton(this, QStringLiteral("&Close"), "closeButton", QStringLiteral("Close the window"));
    m_wndClose->setDefault(true);

    m_wndImport = MakeButton(this, QStringLiteral("&Import..."), "importButton",
                             QStringLiteral("Update prices from a file or the clipboard"));
    m_wndImport->setAutoDefault(false);

    m_pTable = new PricePageTable(this);
    m_wndList = new PriceList(this);
    m_wndList->setObjectName(QStringLiteral("priceList"));
    m_wndList->setModel(m_pTable);
    m_wndList->setColumnWidth(kColPrice, 90);
    m_wndList->setColumnWidth(kColID, 90);
    m_wndList->setColumnWidth(kColName, 220);
    m_wndList->setColumnWidth(kColStatus, 80);
    m_wndList->header()->setStretchLastSection(false);
    m_wndList->header()->setSectionsClickable(false);
    m_wndList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_wndList->setRootIsDecorated(false);
    m_wndList->setItemsExpandable(false);
    m_wndList->setUniformRowHeights(true);
    m_wndList->setAllColumnsShowFocus(true);
    m_wndList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wndList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_wndList->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_pDelegate = new PriceDelegate(this);
    m_wndList->setItemDelegate(m_pDelegate);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_wndScroll);
    bar->addSpacing(6);
    bar->addWidget(m_wndPage);
    bar->addSpacing(6);
    bar->addWidget(m_wndOf);
    bar->addSpacing(40);
    bar->addWidget(m_wndSave);
    bar->addSpacing(6);
    bar->addWidget(m_wndClose);
    bar->addSpacing(20);
    bar->addWidget(m_wndImport);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_wndList, 1);
    resize(560, 320);

    connect(m_wndScroll, &PageScroller::Requested, this, [this](int page) {
        if (MayLeavePage())
            m_wndScroll->SetValue(page);
    });
    connect(m_wndScroll, &PageScroller::ValueChanged, m_wndPage,
            [this](int page) { m_wndPage->setText(QString::number(page)); });
    connect(m_wndPage, &QLineEdit::textChanged, this, &CPriceUpdateDlg::OnPageTextChanged);
    connect(m_wndSave, &QPushButton::clicked, this, &CPriceUpdateDlg::OnSave);
    connect(m_wndClose, &QPushButton::clicked, this, [this] { done(kCloseCode); });
    connect(m_wndImport, &QPushButton::clicked, this, &CPriceUpdateDlg::OnImport);

    setTabOrder(m_wndScroll, m_wndSave);
    setTabOrder(m_wndSave, m_wndClose);
    setTabOrder(m_wndClose, m_wndImport);
    setTabOrder(m_wndImport, m_wndList);
}

CPriceUpdateDlg::~CPriceUpdateDlg() = default;

void CPriceUpdateDlg::showEvent(QShowEvent* event)
{
    if (!m_bOpened) {
        m_bOpened = true;
        m_bReady = 0;
        m_bSaved = 0;
        CollectMatched();
        m_wndList->setFocus();
        if (m_pTable->rowCount() > 0)
            m_wndList->setCurrentIndex(m_pTable->index(0, 0));
    }
    QDialog::showEvent(event);
}

void CPriceUpdateDlg::CollectMatched()
{
    m_bReady = 0;
    m_pTable->Clear();
    m_arrMatched = m_pBondList ? tenvix::CollectMatched(m_pBondList->m_list, m_nStandDay) : std::vector<CBond*>{};
    m_nMatched = static_cast<int>(m_arrMatched.size());
    const PageLayout layout = LayOutPages(m_nMatched);
    m_nPages = layout.pages;
    m_nLastPageCount = layout.lastPageCount;
    m_wndScroll->SetRange(1, m_nPages);
    m_wndScroll->SetValue(1);
    m_wndPage->setText(QStringLiteral("1"));
    m_bReady = 1;
    m_wndOf->setText(QStringLiteral("of %1").arg(m_nPages));
    if (m_nMatched > 0)
        ShowPage(1);
}

void CPriceUpdateDlg::ShowPage(int page)
{
    if (page < 0)
        return;
    m_pTable->Show(m_arrMatched, SpanOfPage(m_nMatched, page));
}

void CPriceUpdateDlg::OnPageTextChanged()
{
    if (m_bReady)
        ShowPage(m_wndScroll->Value());
}

bool CPriceUpdateDlg::CommitPrice(int row, const QString& text)
{
    if (row < 0 || row >= m_pTable->rowCount())
        return false;
    // A decimal comma the locale writes is kept as the full stop that Save
    // reads back.
    const PriceCheck check = m_pTable->Type(row, TypedDecimal(text));
    if (check != PriceCheck::OK) {
        const QString message = PriceCheckMessage(check);
        // The editor is still closing; a box now would take its focus and
        // make it commit a second time.
        QMetaObject::invokeMethod(
            this, [this, message] { ShowError(this, message); }, Qt::QueuedConnection);
        return false;
    }
    return true;
}

void CPriceUpdateDlg::OnSave()
{
    if (static_cast<PriceList*>(m_wndList)->IsEditing())
        m_pDelegate->CommitOpenEditor();
    SavePage();
}

void CPriceUpdateDlg::SavePage()
{
    if (m_pTable->rowCount() == 0)
        return;
    m_pTable->Save(m_arrMatched);
    m_bSaved = 1;
}

bool CPriceUpdateDlg::MayLeavePage()
{
    // One question at a time: a request that arrives while it is open stays.
    if (m_bAsking)
        return false;
    // A price still in its editor is typed too; one that is refused keeps the
    // user here with its message.
    if (static_cast<PriceList*>(m_wndList)->IsEditing() && !m_pDelegate->CommitOpenEditor())
        return false;
    if (!m_pTable->Page().AnyChanged())
        return true;
    m_wndScroll->Release();
    m_bAsking = true;
    const MsgAnswer answer = AskYesNoCancel(this, SaveChangedPricesQuestion());
    m_bAsking = false;
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes)
        SavePage();
    return true;
}

void CPriceUpdateDlg::OnImport()
{
    if (!m_pBondList || !MayLeavePage())
        return;
    // Prices typed and not saved go, as they would with the page.
    const int row = m_wndList->currentIndex().row();
    ShowPage(m_wndScroll->Value());
    const auto updated = ImportPrices(this, *m_pBondList, m_nStandDay, m_quotes);
    if (updated) {
        // The frame refreshes the form and marks the database once the
        // window closes, as after a page's Save.
        ShowPage(m_wndScroll->Value());
        m_bSaved = 1;
    }
    if (row >= 0 && row < m_pTable->rowCount())
        m_wndList->setCurrentIndex(m_pTable->index(row, 0));
    if (updated)
        ShowNotice(this, Qs(prices::PricesUpdatedText(*updated)));
}

void CPriceUpdateDlg::done(int code)
{
    // Close, Esc and the close box all end here.
    if (MayLeavePage())
        QDialog::done(code);
}

} // namespace tenvix::ui

#include "priceupdatedlg.moc"
