#pragma once

// The choice of what a file's prices are, as every import offers it:
// "Prices in the file are: Paid prices / Clean quotes per 100 of face".

#include "model/quotes.h"

#include <QComboBox>

class QLabel;

namespace tenvix::ui {

class QuotesBox final : public QComboBox {
    Q_OBJECT
public:
    explicit QuotesBox(QWidget* parent = nullptr);

    PriceQuotes Quotes() const;
    // Chooses `quotes` without telling anyone.
    void SetQuotes(PriceQuotes quotes);
    // The label before the box, its buddy.
    QLabel* MakeLabel(QWidget* parent);

signals:
    // The user chose the other kind.
    void QuotesChosen(PriceQuotes quotes);
};

} // namespace tenvix::ui
