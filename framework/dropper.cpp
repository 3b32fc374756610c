#include "framework/dropper.h"

std::atomic<uint8_t> g_bDropperActive{0};
