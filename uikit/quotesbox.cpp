#include "uikit/quotesbox.h"

#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>
#include <iterator>

namespace tenvix::ui {

namespace {

// The box's entries, in its order.
struct Entry {
    PriceQuotes quotes;
    const char* text;
};
constexpr Entry kEntries[] = {{PriceQuotes::Paid, "Paid prices"},
                              {PriceQuotes::Clean, "Clean quotes per 100 of face"}};

} // namespace

QuotesBox::QuotesBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("quotes"));
    for (const Entry& e : kEntries)
        addItem(QString::fromLatin1(e.text));
    setToolTip(QStringLiteral("Paid prices are stored as they are; a clean quote per 100 of face is stored as that "
                              "share of the face value plus the interest accrued since the last coupon"));
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit QuotesChosen(Quotes()); });
}

PriceQuotes QuotesBox::Quotes() const
{
    const int entry = currentIndex();
    return entry >= 0 && entry < static_cast<int>(std::size(kEntries)) ? kEntries[entry].quotes : PriceQuotes::Paid;
}

void QuotesBox::SetQuotes(PriceQuotes quotes)
{
    const QSignalBlocker quiet(this);
    const auto* found = std::find_if(std::begin(kEntries), std::end(kEntries),
                                     [quotes](const Entry& e) { return e.quotes == quotes; });
    setCurrentIndex(static_cast<int>(found - std::begin(kEntries)));
}

QLabel* QuotesBox::MakeLabel(QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("Prices in the file are:"), parent);
    label->setBuddy(this);
    return label;
}

} // namespace tenvix::ui
