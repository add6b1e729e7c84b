#pragma once

// The main event queue. The Qt application installs a queue served by its event loop; headless tools and
// tests install a serial queue (useSerialMainQueue). Installing is done once, before anything uses it.

#include "dispatch/Queue.h"

namespace dispatch {

QueuePtr mainQueue();
void setMainQueue(QueuePtr queue);
// Installs a serial queue labelled "main" as the main event queue and returns it.
QueuePtr useSerialMainQueue();

}  // namespace dispatch
