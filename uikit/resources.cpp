#include "uikit/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function of the global namespace.
static void RegisterImages() { Q_INIT_RESOURCE(res); }

namespace tenvix::ui {

void InitResources()
{
    static const bool registered = (RegisterImages(), true);
    (void)registered;
}

} // namespace tenvix::ui
