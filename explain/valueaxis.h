#pragma once

// The value axis the horizon and funding charts share: labels of our own at
// nice steps over a span that holds zero, as many as the plot's height has
// room for.

class QCategoryAxis;
class QChart;
class QFontMetrics;

namespace tenvix::ui {

// Lays `axis` out over [low, high] in as many parts as `chart`'s plot area
// has room for labels of `metrics` (two to eight), and returns that count;
// does nothing when it is `parts`, the count of the axis as it stands.
int LayValueAxis(QCategoryAxis* axis, const QChart* chart, const QFontMetrics& metrics, double low, double high,
                 int parts);

} // namespace tenvix::ui
