#include "services/command_table.h"

// Rows the program and the start-up sequence rely on by position.
static_assert(FindServiceCommand("Open") == 0);
static_assert(FindServiceCommand("OpenAsRun") == 4);
static_assert(FindServiceCommand("Tool") == 24);
static_assert(FindServiceCommand("About") == 29);
static_assert(FindServiceCommand("ServiceCustomize") == 30);
static_assert(FindServiceCommand("AutoCapturePM") == 32);
static_assert(!FindServiceCommand("open"));
