#pragma once

#include "rotation_run.h"

// The Exec of the rotate modules: turns the selected pictures (one turn, or each upright by its
// orientation) and tells the host which folder changed. Main thread.
int RunRotationService(RotationMode mode, void* mainWindow);
