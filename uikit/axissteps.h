#pragma once

// The steps of a chart's value axis, for the labels the charts make
// themselves (QCategoryAxis) so that figures read in ASCII digits with the
// full stop whatever the locale.

namespace tenvix::ui {

// A step of 1, 2, 2.5 or 5 times a power of ten that cuts `top` into about
// `parts`, and the decimals its multiples need.
double NiceStep(double top, int parts);
int DecimalsFor(double step);

} // namespace tenvix::ui
