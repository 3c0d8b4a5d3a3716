#pragma once

// The images every window draws from (icons, tab pictures, status strips) are
// compiled into this library from res/res.qrc. A static library registers
// them only when asked to, so each window that shows one calls this first.

namespace tenvix::ui {

// Registers the images once; later calls do nothing.
void InitResources();

} // namespace tenvix::ui
