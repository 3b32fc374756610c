// The component loader a host uses, and the free-threaded marshaler.
//
// CoGetClassObject / CoCreateInstance resolve a class through the registry
// (HKCR\CLSID\{clsid}\InprocServer32 default value = module path), load the module with
// dlopen (once; DllMain(handle, DLL_PROCESS_ATTACH) after loading), and call its
// DllGetClassObject. CoFreeUnusedLibraries asks each loaded module's DllCanUnloadNow and
// unloads those answering S_OK (DllMain(handle, DLL_PROCESS_DETACH) first).
#pragma once

#include "platform/com/unknown.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

using PFN_DllMain = BOOL (*)(HINSTANCE, DWORD, void*);
using PFN_DllGetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
using PFN_DllCanUnloadNow = HRESULT (*)();
using PFN_DllRegisterServer = HRESULT (*)();

extern "C" {
HRESULT CoInitializeEx(void* reserved, DWORD flags);
void CoUninitialize();
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID iid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
// Looks up HKCR\<progId>\CLSID (following CurVer when the key has no CLSID of its own).
HRESULT CLSIDFromProgID(const wchar_t* progId, CLSID* clsid);
HRESULT CLSIDFromProgIDA(const char* progId, CLSID* clsid);
void CoFreeUnusedLibraries();
// Makes an object that answers IMarshal for the outer object; the outer aggregates it.
HRESULT CoCreateFreeThreadedMarshaler(IUnknown* outer, IUnknown** marshaler);
BOOL DisableThreadLibraryCalls(HMODULE module);
// The full path of a loaded module (the loader's handle, or any address inside the
// module when module is null is not supported); 0 on failure, else the length.
DWORD GetModuleFileNameA(HMODULE module, char* path, DWORD capacity);
}

// Loads a module by path directly (as a host that knows the file does), with the same
// DllMain rules; the handle stays valid until CoFreeUnusedLibraries unloads it.
HRESULT CoLoadModuleByPath(const char* path, HMODULE* module);
// Looks up an export of a module loaded by the loader.
void* GetProcAddress(HMODULE module, const char* name);
