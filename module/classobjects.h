// The module's class objects: made on first request from the object map's entry and
// cached until the module stops. Lookup and creation run under one lock, so two
// threads asking for the same class at once share one factory.
#pragma once

#include "platform/com/unknown.h"

// DllGetClassObject: the class object of clsid queried for iid. A class that is not in
// the map, or not part of this build, gives CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetModuleClassObject(REFCLSID clsid, REFIID iid, void** object);
// Drops the cache's references (process detach). Clients still holding a factory keep it.
void ReleaseModuleClassObjects();
// Runs every entry's start (true) or stop (false) hook.
void RunObjectMainHooks(bool starting);
