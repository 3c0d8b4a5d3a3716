#pragma once

// What the price update window says: its refusals of a typed price and its
// question before typed prices would be lost.

#include "model/priceupdate.h"

#include <QString>

namespace tenvix::ui {

// Why the window refuses a typed price; empty for OK.
QString PriceCheckMessage(PriceCheck check);

// Asked when the page changes or the window closes with prices typed and not
// saved.
QString SaveChangedPricesQuestion();

} // namespace tenvix::ui
