// The Reg* functions: keys, values, buffer rules, deletion rules, handles.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using testsupport::KeyExists;
using testsupport::ReadString;
using testsupport::TempRegistry;
using testsupport::WriteString;

namespace {

HKEY Create(HKEY root, const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition), ERROR_SUCCESS);
    return key;
}

LSTATUS SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

TEST(RegistryKeys, CreateOpenAndCaseInsensitiveNames) {
    TempRegistry reg;
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CLASSES_ROOT, "Main.Plugin\\CLSID", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    key = Create(HKEY_CLASSES_ROOT, "MAIN.PLUGIN\\clsid", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);

    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "main.plugin", 0, KEY_READ, &opened), ERROR_SUCCESS);
    char name[64];
    DWORD cch = sizeof name;
    // The key keeps the spelling it was created with.
    EXPECT_EQ(RegEnumKeyExA(opened, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "CLSID");
    EXPECT_EQ(cch, 5u);
    cch = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(opened, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    char tiny[1];
    cch = sizeof tiny;
    EXPECT_EQ(RegEnumKeyExA(opened, 0, tiny, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    RegCloseKey(opened);

    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Nope", 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(opened, nullptr);
    // The three roots are separate trees.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Main.Plugin"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Main.Plugin"));
}

TEST(RegistryValues, StringsDwordsAndDefaultValue) {
    TempRegistry reg;
    HKEY key = Create(HKEY_CLASSES_ROOT, "DXTDbgFlags");
    EXPECT_EQ(SetDword(key, "Flags", 10), ERROR_SUCCESS);
    const char text[] = "Quillet Air Brush";
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);

    DWORD type = 0, value = 0, cb = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "flags", nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 10u);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "DXTDbgFlags", ""), "Quillet Air Brush");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "DXTDbgFlags", nullptr), "Quillet Air Brush");

    // Replacing changes the type too.
    EXPECT_EQ(RegSetValueExA(key, "Flags", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags"), "x");

    // A DWORD must be given 4 bytes; data must be there when a size is given.
    EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_SZ, nullptr, 5), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Bad\nName", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Bad", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST(RegistryValues, QueryBufferRules) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, "Buf", "Name", "hello"), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Buf", 0, KEY_READ, &key), ERROR_SUCCESS);

    DWORD type = 0, cb = 0;
    // Null data: the size needed, NUL included.
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 6u);
    EXPECT_EQ(type, REG_SZ);
    // Too small: ERROR_MORE_DATA with the needed size.
    char small[3] = {'#', '#', '#'};
    cb = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 6u);
    // Exactly enough.
    char exact[6];
    cb = sizeof exact;
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &cb), ERROR_SUCCESS);
    EXPECT_STREQ(exact, "hello");
    // Data without a size is refused.
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), nullptr),
              ERROR_INVALID_PARAMETER);
    // A default value that was never set does not exist.
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, nullptr, &cb), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST(RegistryValues, EnumValuesListsDefaultFirstAndDeletes) {
    TempRegistry reg;
    HKEY key = Create(HKEY_CURRENT_USER, "Vals");
    SetDword(key, "Zeta", 1);
    SetDword(key, "alpha", 2);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("d"), 2);
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[32];
        DWORD cch = sizeof name;
        if (RegEnumValueA(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"", "alpha", "Zeta"}));

    char name[32];
    DWORD cch = sizeof name, cb = 1, type = 0;
    BYTE data[1];
    EXPECT_EQ(RegEnumValueA(key, 1, name, &cch, nullptr, &type, data, &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 4u);

    EXPECT_EQ(RegDeleteValueA(key, "ALPHA"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "alpha"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);
    cch = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Zeta");
    RegCloseKey(key);
}

TEST(RegistryDelete, DeleteKeyRefusesSubkeysDeleteTreeTakesAll) {
    TempRegistry reg;
    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{x}\\InprocServer32"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{x}"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{x}\\InprocServer32"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{X}\\inprocserver32"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{x}\\InprocServer32"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{x}"));

    RegCloseKey(Create(HKEY_CLASSES_ROOT, "CLSID\\{x}\\A\\B\\C"));
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "CLSID\\{x}\\A", "v", "1"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{x}"), ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{x}"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{x}"), ERROR_FILE_NOT_FOUND);

    // Without a subkey, RegDeleteTreeA empties the key but keeps it.
    HKEY key = Create(HKEY_CLASSES_ROOT, "Keep\\Child");
    RegCloseKey(key);
    key = Create(HKEY_CLASSES_ROOT, "Keep");
    EXPECT_EQ(RegDeleteTreeA(key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Keep"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Keep\\Child"));
    // Roots are never deleted or wiped.
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Keep"));
}

TEST(RegistryHandles, StaleClosedAndReadOnlyHandles) {
    TempRegistry reg;
    HKEY key = Create(HKEY_CURRENT_USER, "Gone");
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, "x", 1), ERROR_KEY_DELETED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(key, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    // A closed handle is refused, not followed.
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(key, "x", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);

    // A handle opened for reading cannot write.
    RegCloseKey(Create(HKEY_CURRENT_USER, "Ro"));
    HKEY ro = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Ro", 0, KEY_READ, &ro), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(ro, "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(ro, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    RegCloseKey(ro);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Ro", 0, KEY_WRITE, &ro), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(ro, "x", 1), ERROR_SUCCESS);
    DWORD cb = 0;
    EXPECT_EQ(RegQueryValueExA(ro, "x", nullptr, nullptr, nullptr, &cb), ERROR_ACCESS_DENIED);
    RegCloseKey(ro);
}

TEST(RegistryHandles, OpenWithEmptySubkeyAndRelativePaths) {
    TempRegistry reg;
    HKEY parent = Create(HKEY_CLASSES_ROOT, "TypeLib");
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExA(parent, "{lib}\\1.0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExA(child, nullptr, 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(same, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("help"), 5), ERROR_SUCCESS);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "TypeLib\\{lib}\\1.0", ""), "help");
    for (HKEY k : {parent, child, same}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    EXPECT_EQ(RegistryFilePath(), reg.Path());
}
