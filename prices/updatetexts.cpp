#include "prices/updatetexts.h"

namespace tenvix::ui {

QString PriceCheckMessage(PriceCheck check)
{
    switch (check) {
    case PriceCheck::OK:
        break;
    case PriceCheck::Invalid:
        return QStringLiteral("Invalid price !");
    case PriceCheck::OutOfRange:
        return QStringLiteral("New Price out of range !");
    }
    return {};
}

QString SaveChangedPricesQuestion() { return QStringLiteral("Save changed prices ?"); }

} // namespace tenvix::ui
