#include "shell/shelltexts.h"

namespace tenvix::ui {

QString TextOf(ShellText text)
{
    switch (text) {
    case ShellText::NoFrame:
        return QStringLiteral("Failed to create empty document.");
    case ShellText::SaveChangedPrices:
        return QStringLiteral("Save changed prices ?");
    case ShellText::ExportCaption:
        return QStringLiteral("Export analysis");
    case ShellText::Analysing:
        return QStringLiteral("Analysing the bonds...");
    }
    return {};
}

QString SaveChangesQuestion(const QString& name) { return QStringLiteral("Save changes to %1?").arg(name); }

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

} // namespace tenvix::ui
