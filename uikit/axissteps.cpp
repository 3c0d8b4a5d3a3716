#include "uikit/axissteps.h"

#include <cmath>
#include <initializer_list>

namespace tenvix::ui {

double NiceStep(double top, int parts)
{
    const double raw = top / parts;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (raw <= m * power)
            return m * power;
    return 10.0 * power;
}

int DecimalsFor(double step)
{
    int decimals = 0;
    while (decimals < 6 &&
           std::fabs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-9)
        ++decimals;
    return decimals;
}

} // namespace tenvix::ui
