// Type-library registration: the TypeLib and Interface keys, and their removal.
#include <gtest/gtest.h>

#include "platform/com/typelib.h"
#include "tests/platform/registry_test_env.h"

using regtest::KeyExists;
using regtest::List;
using regtest::ReadString;
using regtest::TempRegistry;
using regtest::WriteString;

namespace {

const TypeLibProperty kEffectProperties[] = {
    {"Capabilities", 10000, VT_I4, false},
    {"Progress", 10001, VT_R4, true},
    {"StepResolution", 10002, VT_R4, false},
    {"Duration", 10003, VT_R4, true},
};
const TypeLibInterface kInterfaces[] = {
    {"IDXEffect", MakeGuid("E31FB81B-1335-11D1-8189-0000F87557DB"), "IDXEffect Interface", "IDispatch", true,
     kEffectProperties, 4},
    {"IPlugin", MakeGuid("8CCE0EFB-C7F5-4C39-8BCA-08E64E3151BC"), "IPlugin Interface", "IDXEffect", true, nullptr, 0},
};
const TypeLibClass kClasses[] = {
    {"AirBrush", MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D"), "Quillet Air Brush"},
};
const TypeLibDescription kLibrary = {
    "MAINLib", MakeGuid("75C20786-10F9-43F2-B35F-36ECB32C51D1"), 1, 0, "Main 1.0 Type Library",
    kInterfaces, 2, kClasses, 1,
};
const char* const kLib = "{75c20786-10f9-43f2-b35f-36ecb32c51d1}";
const char* const kEffect = "{e31fb81b-1335-11d1-8189-0000f87557db}";
const char* const kPlugin = "{8cce0efb-c7f5-4c39-8bca-08e64e3151bc}";

std::vector<std::string> InterfaceKeys(const std::string& iid, const std::string& name) {
    return {iid, iid + " @ = " + name, iid + "\\ProxyStubClsid32",
            iid + "\\ProxyStubClsid32 @ = {00020424-0000-0000-c000-000000000046}", iid + "\\TypeLib",
            iid + "\\TypeLib @ = " + kLib, iid + "\\TypeLib Version = 1.0"};
}

}  // namespace

TEST(TypeLibRegistration, WritesTheLibraryAndInterfaceKeys) {
    TempRegistry reg;
    ASSERT_EQ(RegisterTypeLib(&kLibrary, "/opt/quillet/libquillet_brushwerk.so"), S_OK);
    const std::string lib = kLib;
    EXPECT_EQ(List(HKEY_CLASSES_ROOT, "TypeLib"),
              (std::vector<std::string>{lib, lib + "\\1.0", lib + "\\1.0 @ = Main 1.0 Type Library",
                                        lib + "\\1.0\\0", lib + "\\1.0\\0\\win32",
                                        lib + "\\1.0\\0\\win32 @ = /opt/quillet/libquillet_brushwerk.so",
                                        lib + "\\1.0\\FLAGS", lib + "\\1.0\\FLAGS @ = 0", lib + "\\1.0\\HELPDIR",
                                        lib + "\\1.0\\HELPDIR @ = /opt/quillet"}));
    // Enumeration is in name order: {8cce...} before {e31f...}.
    auto expected = InterfaceKeys(kPlugin, "IPlugin");
    auto effect = InterfaceKeys(kEffect, "IDXEffect");
    expected.insert(expected.end(), effect.begin(), effect.end());
    EXPECT_EQ(List(HKEY_CLASSES_ROOT, "Interface"), expected);
}

TEST(TypeLibRegistration, UnregisterRemovesOnlyWhatItWrote) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Interface\\{00000000-0000-0000-c000-000000000046}", "", "IUnknown"),
              ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "TypeLib\\{00000000-1111-2222-3333-444444444444}\\2.0", "", "other"),
              ERROR_SUCCESS);
    const auto before = List(HKEY_CLASSES_ROOT);
    ASSERT_EQ(RegisterTypeLib(&kLibrary, "/opt/quillet/libquillet_brushwerk.so"), S_OK);
    // Another library took over one interface meanwhile: its registration stays.
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, (std::string("Interface\\") + kPlugin + "\\TypeLib").c_str(), "",
                          "{00000000-1111-2222-3333-444444444444}"),
              ERROR_SUCCESS);
    ASSERT_EQ(UnRegisterTypeLib(&kLibrary), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, (std::string("TypeLib\\") + kLib).c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, (std::string("Interface\\") + kEffect).c_str()));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, (std::string("Interface\\") + kPlugin).c_str()));
    ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("Interface\\") + kPlugin).c_str()), ERROR_SUCCESS);
    EXPECT_EQ(List(HKEY_CLASSES_ROOT), before);
    // Unregistering twice is harmless.
    EXPECT_EQ(UnRegisterTypeLib(&kLibrary), S_OK);
}

TEST(TypeLibRegistration, KeepsOtherVersionsAndChecksArguments) {
    TempRegistry reg;
    TypeLibDescription v2 = kLibrary;
    v2.majorVersion = 2;
    v2.minorVersion = 10;  // versions are written in hexadecimal
    v2.interfaceCount = 0;
    ASSERT_EQ(RegisterTypeLib(&v2, "/usr/lib/v2.so"), S_OK);
    ASSERT_EQ(RegisterTypeLib(&kLibrary, "/usr/lib/v1.so"), S_OK);
    ASSERT_EQ(UnRegisterTypeLib(&kLibrary), S_OK);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, (std::string("TypeLib\\") + kLib + "\\2.a\\0\\win32").c_str(), ""),
              "/usr/lib/v2.so");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, (std::string("TypeLib\\") + kLib + "\\1.0").c_str()));

    EXPECT_EQ(RegisterTypeLib(nullptr, "/x.so"), E_INVALIDARG);
    EXPECT_EQ(RegisterTypeLib(&kLibrary, nullptr), E_INVALIDARG);
    EXPECT_EQ(UnRegisterTypeLib(nullptr), E_INVALIDARG);
}
