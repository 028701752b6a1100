#pragma once

#include "formats/lossless_rotate.h"

// The Exec of the rotate modules: turns the selected pictures and tells the host which
// folder changed.
int RunRotationService(RotationTurn turn, void* mainWindow);
