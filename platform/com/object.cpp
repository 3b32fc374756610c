#include "platform/com/object.h"

namespace {
std::atomic<long> g_moduleLockCount{0};
}

namespace ModuleLock {
long Lock() { return ++g_moduleLockCount; }
long Unlock() { return --g_moduleLockCount; }
long Count() { return g_moduleLockCount.load(); }
}  // namespace ModuleLock
