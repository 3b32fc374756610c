// The module's type library as a late-bound client meets it: registered with the real
// module, loaded from the registered path, walked type by type, and used to drive an
// effect by name through IDispatch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/effects.h"
#include "sdk/plugininterfaces.h"
#include "platform/com/typelib.h"
#include "platform/ui/resource.h"
#include "tests/support/environment.h"
#include "tests/support/module_exports.h"
#include "tests/support/registry_contents.h"

namespace {

using namespace testsupport;

constexpr GUID kLibId = MakeGuid("75C20786-10F9-43F2-B35F-36ECB32C51D1");

std::string Text(BSTR text) {
    std::string narrow = text ? std::string(text, text + SysStringLen(text)) : "(null)";
    SysFreeString(text);
    return narrow;
}

// Name and help string of a type (MEMBERID_NIL) or of one of its members.
std::string Doc(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr, help = nullptr;
    EXPECT_EQ(info->GetDocumentation(id, &name, &help, nullptr, nullptr), S_OK);
    return Text(name) + " / " + Text(help);
}

// Kind, flags and counts of a type, and its functions as "name id get|put type".
std::vector<std::string> Describe(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
    std::vector<std::string> lines{std::to_string(attr->typekind) + " flags " + std::to_string(attr->wTypeFlags) +
                                   " bases " + std::to_string(attr->cImplTypes)};
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        EXPECT_EQ(info->GetFuncDesc(i, &f), S_OK);
        const bool put = f->invkind == INVOKE_PROPERTYPUT;
        BSTR name = nullptr;
        info->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
        lines.push_back(Text(name) + " " + std::to_string(f->memid) + (put ? " put " : " get ") +
                        std::to_string(put ? f->lprgelemdescParam[0].tdesc.vt : f->elemdescFunc.tdesc.vt));
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    return lines;
}

class ModuleTypeLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadModule();
        ASSERT_NE(m_module.registerServer, nullptr);
        ASSERT_EQ(m_module.registerServer(), S_OK);
    }
    TempRegistry m_registry;
    ModuleExports m_module;
};

TEST_F(ModuleTypeLibrary, RegisteredLibraryDescribesBothInterfacesAndTheFourteenClasses) {
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadRegTypeLib(kLibId, 1, 1, 0, lib.ReleaseAndGetAddressOf()), TYPE_E_LIBNOTREGISTERED);
    ASSERT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, lib.ReleaseAndGetAddressOf()), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(attr->guid == kLibId && attr->wMajorVerNum == 1 && attr->wMinorVerNum == 0);
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(name) + " / " + Text(help), "MAINLib / Main 1.0 Type Library");
    EXPECT_EQ(lib->GetTypeInfoCount(), 16u);

    ComPtr<ITypeInfo> effect, plugin, base;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IDXEffect, effect.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(Doc(effect.Get()), "IDXEffect / IDXEffect Interface");
    const std::string dual = std::to_string(TKIND_DISPATCH) + " flags " +
                             std::to_string(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(Describe(effect.Get()),
              (std::vector<std::string>{dual + " bases 1", "Capabilities 10000 get 3", "Progress 10001 get 4",
                                        "Progress 10001 put 4", "StepResolution 10002 get 4", "Duration 10003 get 4",
                                        "Duration 10003 put 4"}));
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IPlugin, plugin.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(Doc(plugin.Get()), "IPlugin / IPlugin Interface");
    EXPECT_EQ(Describe(plugin.Get()), std::vector<std::string>{dual + " bases 1"});
    HREFTYPE ref = 0;
    ASSERT_EQ(plugin->GetRefTypeOfImplType(0, &ref), S_OK);
    ASSERT_EQ(plugin->GetRefTypeInfo(ref, base.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(Doc(base.Get()), "IDXEffect / IDXEffect Interface");
    EXPECT_EQ(Doc(plugin.Get(), 10003), "Duration / (null)");  // inherited members are found
    EXPECT_EQ(plugin->GetDocumentation(10004, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);

    // Each effect's class and its page's, named as the descriptors name them.
    for (const EffectDescriptor* d : EffectDescriptors())
        for (auto [clsid, doc] : {std::pair{d->clsid, std::string(d->className) + " / " + d->displayName},
                                  {d->pageClsid, std::string(d->pageClassName) + " / (null)"}}) {
            ComPtr<ITypeInfo> info;
            ASSERT_EQ(lib->GetTypeInfoOfGuid(clsid, info.ReleaseAndGetAddressOf()), S_OK) << doc;
            EXPECT_EQ(Doc(info.Get()), doc);
            EXPECT_EQ(Describe(info.Get())[0], std::to_string(TKIND_COCLASS) + " flags 2 bases 0");
        }
    EXPECT_EQ(lib->GetTypeInfoOfGuid(kLibId, base.ReleaseAndGetAddressOf()), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(lib->GetTypeInfo(16, base.ReleaseAndGetAddressOf()), TYPE_E_ELEMENTNOTFOUND);

    // Unregistering leaves an interface that another library has taken over since.
    const std::string pluginKey = "Interface\\" + GuidToString(IID_IPlugin);
    EXPECT_EQ(WriteString(HKEY_CLASSES_ROOT, pluginKey + "\\TypeLib", "", "{0b5e4f1a-2c3d-4e5f-8a9b-0c1d2e3f4a5c}"), ERROR_SUCCESS);
    ASSERT_EQ(m_module.unregisterServer(), S_OK);
    EXPECT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, lib.ReleaseAndGetAddressOf()), TYPE_E_LIBNOTREGISTERED);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, pluginKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Interface\\" + GuidToString(IID_IDXEffect)));
}

TEST_F(ModuleTypeLibrary, EffectIsDrivenByNameThroughIDispatch) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgIDA("Main.Plugin", &clsid), S_OK);
    ComPtr<IDispatch> effect;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, effect.ReleaseAndGetVoidAddress()),
              S_OK);
    UINT count = 0;
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(effect->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(effect->GetTypeInfo(0, 0, info.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(Doc(info.Get()), "IPlugin / IPlugin Interface");
    EXPECT_EQ(effect->GetTypeInfo(1, 0, info.ReleaseAndGetAddressOf()), DISP_E_BADINDEX);

    const wchar_t* names[] = {L"progress", L"DURATION", L"Capabilities", L"StepResolution", L"Speed"};
    DISPID ids[5] = {};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(effect->GetIDsOfNames(IID_NULL, &names[i], 1, 0, &ids[i]), i < 4 ? S_OK : DISP_E_UNKNOWNNAME);
    EXPECT_EQ(std::vector<DISPID>(ids, ids + 5), (std::vector<DISPID>{10001, 10003, 10000, 10002, DISPID_UNKNOWN}));

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    auto get = [&](DISPID id) {
        VARIANT v{};
        EXPECT_EQ(effect->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr), S_OK);
        return v;
    };
    VARIANT arg{};
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&arg, &named, 1, 1};
    auto set = [&](DISPID id, VARTYPE vt, double value, EXCEPINFO* ex = nullptr, UINT* argError = nullptr) {
        arg.vt = vt;
        if (vt == VT_R8) arg.dblVal = value;
        else arg.lVal = static_cast<LONG>(value);
        return effect->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, ex, argError);
    };
    EXPECT_EQ(get(ids[1]).fltVal, 0.5f);  // every effect starts with a duration of 0.5
    ASSERT_EQ(set(ids[1], VT_R8, 2.0), S_OK);  // scripts pass doubles
    ASSERT_EQ(set(ids[0], VT_I4, 1), S_OK);
    EXPECT_EQ(get(ids[1]).vt, VT_R4);
    EXPECT_EQ(get(ids[1]).fltVal, 2.0f);
    EXPECT_EQ(get(ids[0]).fltVal, 1.0f);
    ComPtr<IDXEffect> typed;  // the same properties behind the interface's own functions
    ASSERT_EQ(effect->QueryInterface(IID_IDXEffect, typed.ReleaseAndGetVoidAddress()), S_OK);
    float value = 0;
    EXPECT_EQ(typed->get_Duration(&value), S_OK);
    EXPECT_EQ(value, 2.0f);
    EXPECT_EQ(get(ids[2]).vt, VT_I4);
    EXPECT_EQ(get(ids[2]).lVal, 0);
    EXPECT_EQ(get(ids[3]).fltVal, 0.0f);

    // Refusals: a value the property refuses, a read-only property, a value of no
    // number type, a get with an argument, an unknown member or interface.
    EXCEPINFO ex{};
    EXPECT_EQ(set(ids[0], VT_R8, 1.5, &ex), DISP_E_EXCEPTION);
    EXPECT_EQ(ex.scode, E_INVALIDARG);
    EXPECT_EQ(get(ids[0]).fltVal, 1.0f);
    EXPECT_EQ(set(ids[2], VT_I4, 1), DISP_E_MEMBERNOTFOUND);
    UINT argError = 9;
    EXPECT_EQ(set(ids[1], VT_EMPTY, 0, nullptr, &argError), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u);
    VARIANT v{};
    EXPECT_EQ(effect->Invoke(ids[1], IID_NULL, 0, DISPATCH_PROPERTYGET, &put, &v, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(effect->Invoke(12345, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(effect->Invoke(ids[1], IID_IDXEffect, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

// A library resource is checked whole before anything of it is used.
TEST(TypeLibResource, MalformedLibrariesAreRefused) {
    const std::string good = "QuilletTypeLib 1\nlibrary\t{75c20786-10f9-43f2-b35f-36ecb32c51d1}\t1.0\tL\t\n"
                             "interface\t{e31fb81b-1335-11d1-8189-0000f87557db}\tI\t\tIDispatch\tdual\n";
    const std::string cases[] = {
        good + "property\t7\tfloat\tget put\tP\n",  // the one well-formed library
        good + "property\t7x\tfloat\tget\tP\n",
        good + "property\t7\tdouble\tget\tP\n",
        good + "property\t7\tfloat\tput\tP\n",
        good + "interface\t{e31fb81b-1335-11d1-8189-0000f87557dc}\tJ\t\tIMissing\tdual\n",
        good + "coclass\t{not-a-guid}\tC\t\n",
        good + "coclass\t{e31fb81b-1335-11d1-8189-0000f87557dd}\tC\thelp\x01\n",
        "QuilletTypeLib 1\nproperty\t7\tfloat\tget\tP\n",
        "QuilletTypeLib 2" + good.substr(16),
    };
    const HINSTANCE module = reinterpret_cast<HINSTANCE>(0x7e5f7001);
    for (const std::string& text : cases) {
        const ModuleBinaryResource binary{"TYPELIB", 1, text.data(), text.size()};
        const ModuleResources resources{nullptr, 0, &binary, 1};
        RegisterModuleResources(module, &resources);
        ComPtr<ITypeLib> lib;
        EXPECT_EQ(LoadTypeLibFromModule(module, lib.ReleaseAndGetAddressOf()), &text == cases ? S_OK : TYPE_E_INVDATAREAD)
            << text;
        UnregisterModuleResources(module);
    }
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadTypeLibFromModule(module, lib.ReleaseAndGetAddressOf()), TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(LoadTypeLib("/nonexistent/module.so", lib.ReleaseAndGetAddressOf()), TYPE_E_CANTLOADLIBRARY);

    // The writer refuses what the reader would refuse.
    const TypeLibInterface itf{"I", IID_IDXEffect, "", "IMissing", true, nullptr, 0};
    EXPECT_EQ(TypeLibResourceText({"L", kLibId, 1, 0, "", &itf, 1, nullptr, 0}), "");
    EXPECT_EQ(TypeLibResourceText({"L\tM", kLibId, 1, 0, "", nullptr, 0, nullptr, 0}), "");
    EXPECT_NE(TypeLibResourceText({"L", kLibId, 1, 0, "", nullptr, 0, nullptr, 0}), "");
}

}  // namespace
