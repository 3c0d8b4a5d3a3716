#include "bondimport/columnstrip.h"

#include "model/format.h"
#include "uikit/strings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tenvix::ui {

namespace {

// The drop-down's first entry; the fields follow in their order.
const char* const kNotUsed = "(not used)";

} // namespace

BankColumnStrip::BankColumnStrip(QWidget* parent) : QScrollArea(parent), m_pInner(new QWidget), m_pRow(new QHBoxLayout)
{
    setObjectName(QStringLiteral("columns"));
    // The row as wide as its columns need; a list wider than the window
    // scrolls.
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pRow->setContentsMargins(0, 0, 0, 0);
    m_pInner->setLayout(m_pRow);
    setWidget(m_pInner);
}

void BankColumnStrip::Show(const std::vector<std::string>& headings, std::size_t columnCount,
                           const BankColumns& columns)
{
    // Shown anew only for a new file, never from a drop-down's own signal:
    // the old cells can go at once.
    for (QComboBox* box : m_boxes)
        delete box->parentWidget();
    m_boxes.clear();
    while (QLayoutItem* item = m_pRow->takeAt(0))
        delete item;
    const std::size_t shown = std::min(columnCount, kMaxShown);
    for (std::size_t c = 0; c < shown; ++c) {
        auto* cell = new QWidget(m_pInner);
        auto* stack = new QVBoxLayout(cell);
        stack->setContentsMargins(0, 0, 8, 0);
        stack->setSpacing(2);
        const bool named = c < headings.size() && !headings[c].empty();
        auto* label = new QLabel(named ? Qs(headings[c])
                                       : QStringLiteral("Column %1").arg(Qs(FormatInteger(std::int64_t(c + 1)))),
                                 cell);
        label->setTextFormat(Qt::PlainText);
        auto* box = new QComboBox(cell);
        box->setObjectName(QStringLiteral("column%1").arg(Qs(FormatInteger(std::int64_t(c + 1)))));
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->addItem(QString::fromLatin1(kNotUsed));
        for (const BankField f : kBankFields)
            box->addItem(QString::fromLatin1(BankFieldTitle(f)));
        label->setBuddy(box);
        stack->addWidget(label);
        stack->addWidget(box);
        m_pRow->addWidget(cell);
        m_boxes.push_back(box);
        connect(box, &QComboBox::currentIndexChanged, this, [this, c](int entry) {
            emit Chosen(c, entry >= 1 ? std::optional(kBankFields[entry - 1]) : std::nullopt);
        });
    }
    ShowChoice(columns);
    m_pInner->adjustSize();
    setFixedHeight(m_pInner->height() + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth());
}

void BankColumnStrip::ShowChoice(const BankColumns& columns)
{
    for (std::size_t c = 0; c < m_boxes.size(); ++c) {
        const QSignalBlocker quiet(m_boxes[c]);
        const std::optional<BankField> field = columns.FieldIn(c);
        m_boxes[c]->setCurrentIndex(field ? static_cast<int>(*field) + 1 : 0);
    }
}

QComboBox* BankColumnStrip::Box(std::size_t c) const { return c < m_boxes.size() ? m_boxes[c] : nullptr; }

} // namespace tenvix::ui
