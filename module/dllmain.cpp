// The module's five exports. Everything they do lives beside this file (object map,
// class-object cache, registration); this file only wires the entry points to it and
// runs the load and unload work in order.
#include "controls/control_window.h"
#include "controls/skin.h"
#include "module/classobjects.h"
#include "module/registration.h"
#include "image/cpudispatch.h"
#include "transform/dtbase.h"
#include "platform/com/combase.h"
#include "platform/com/kit/module.h"
#include "platform/com/object.h"
#include "resources/moduleresources.h"

#define QUILLET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* kProductDisplayName = "Quillet Brushwerk";

// The pages' shared settings (knob-dragging choice, dropper cursor, skin bitmaps) and
// their controls' window classes live from load to unload.
void StartSharedUiSettings(HINSTANCE module, const char* displayName) {
    g_pSkin = new CSkin;
    g_pSkin->Init(module, displayName);
    RegisterControlClasses(module);
}
void StopSharedUiSettings(HINSTANCE module) {
    UnregisterControlClasses(module);
    delete g_pSkin;
    g_pSkin = nullptr;
}

void AttachProcess(HINSTANCE module) {
    // The module object first, so that class lookups and resources answer for this handle.
    ComModule::Init(module);
    RegisterModuleResources(module, &BrushwerkModuleResources());
    RunObjectMainHooks(true);
    StartSharedUiSettings(module, kProductDisplayName);
    ippStaticInit();  // the image primitives choose their routines for this processor, once
    CDXBaseNTo1::LoadDebugFlags();
    DisableThreadLibraryCalls(module);
}

void DetachProcess(HINSTANCE module) {
    ReleaseModuleClassObjects();
    StopSharedUiSettings(module);
    RunObjectMainHooks(false);
    ComModule::Term();
    UnregisterModuleResources(module);
}

}  // namespace

QUILLET_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, void* /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) AttachProcess(module);
    else if (reason == DLL_PROCESS_DETACH) DetachProcess(module);
    return TRUE;
}

QUILLET_EXPORT HRESULT DllCanUnloadNow() { return ModuleLock::Count() == 0 ? S_OK : S_FALSE; }

QUILLET_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return GetModuleClassObject(clsid, iid, object);
}

QUILLET_EXPORT HRESULT DllRegisterServer() { return RegisterServer(); }

QUILLET_EXPORT HRESULT DllUnregisterServer() { return UnregisterServer(); }
