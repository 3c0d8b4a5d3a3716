#include "market/markettexts.h"

#include "model/format.h"
#include "uikit/strings.h"

namespace tenvix::ui {

QString TextOf(MarketText text)
{
    switch (text) {
    case MarketText::Title:
        return QStringLiteral("Market");
    case MarketText::FilterLabel:
        return QStringLiteral("&Find:");
    case MarketText::FilterTip:
        return QStringLiteral("Shows the bonds whose ID or Name starts with this text");
    case MarketText::Refresh:
        return QStringLiteral("&Refresh");
    case MarketText::RefreshTip:
        return QStringLiteral("Analyse the database as it is now and fit the curve again");
    case MarketText::Stop:
        return QStringLiteral("&Stop");
    case MarketText::OutOfDate:
        return QStringLiteral("Out of date");
    case MarketText::Analysing:
        return QStringLiteral("Analysing the bonds ...");
    case MarketText::Fitting:
        return QStringLiteral("Fitting the curve ...");
    case MarketText::Stopped:
        return QStringLiteral("Stopped");
    case MarketText::ChartTitle:
        return QStringLiteral("Yield curve");
    case MarketText::YearsAxis:
        return QStringLiteral("Years");
    case MarketText::YtmAxis:
        return QStringLiteral("YTM %");
    case MarketText::CurveSeries:
        return QStringLiteral("Par yield on the curve");
    }
    return {};
}

QStringList MarketHeadings()
{
    return {QStringLiteral("ID"),       QStringLiteral("Name"),     QStringLiteral("Type"),
            QStringLiteral("Maturity"), QStringLiteral("Price"),    QStringLiteral("Accrued"),
            QStringLiteral("Clean"),    QStringLiteral("YTM"),      QStringLiteral("Duration"),
            QStringLiteral("Square-M"), QStringLiteral("Spread (bp)")};
}

QString ChartTitleWithRmse(double rmseBp)
{
    return TextOf(MarketText::ChartTitle) + QStringLiteral(" (rmse ") + Qs(FormatFixed(rmseBp, 2)) +
           QStringLiteral(" bp)");
}

int SpreadBandOf(double spreadBp)
{
    for (int band = 0; band + 1 < kSpreadBandCount; ++band)
        if (spreadBp < kSpreadBands[band].upperBp)
            return band;
    return kSpreadBandCount - 1;
}

QString PointTip(const QString& id, double years, double ytm, double spreadBp)
{
    return id + QStringLiteral("\n") + Qs(FormatFixed(years, 2)) + QStringLiteral(" years, YTM ") +
           Qs(FormatFixed(ytm * 100, 3)) + QStringLiteral(" %\nSpread ") + Qs(FormatFixed(spreadBp, 2)) +
           QStringLiteral(" bp");
}

} // namespace tenvix::ui
