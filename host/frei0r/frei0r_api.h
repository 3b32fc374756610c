// The frei0r plugin interface (Debian's frei0r-plugins-dev). The header declares its
// functions without C linkage of their own; the plugins export them as C functions.
#pragma once

extern "C" {
#include <frei0r.h>
}
