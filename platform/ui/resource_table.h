// Internal to the platform: lets the loader check for a table a module forgot to
// withdraw before it is unmapped (its strings would point into freed code pages).
#pragma once

#include "platform/com/wintypes.h"

bool ModuleHasResources(HINSTANCE module);
