#include "explain/valueaxis.h"

#include "model/format.h"
#include "uikit/axissteps.h"
#include "uikit/strings.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace tenvix::ui {

int LayValueAxis(QCategoryAxis* axis, const QChart* chart, const QFontMetrics& metrics, double low, double high,
                 int parts)
{
    const qreal height = chart->plotArea().height();
    const int wanted = std::clamp(int(height / (2.5 * metrics.height())), 2, 8);
    if (wanted == parts)
        return parts;
    const double step = NiceStep(high - low, wanted);
    const int decimals = DecimalsFor(step);
    const auto first = static_cast<long long>(std::floor(low / step));
    const auto last = static_cast<long long>(std::ceil(high / step));
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(static_cast<double>(first - 1) * step);
    for (long long k = first; k <= last; ++k)
        axis->append(Qs(FormatFixed(static_cast<double>(k) * step, decimals)), static_cast<double>(k) * step);
    axis->setRange(static_cast<double>(first) * step, static_cast<double>(last) * step);
    return wanted;
}

} // namespace tenvix::ui
