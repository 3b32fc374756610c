// The registry file: its text, round trips through it, and the ways it can be bad.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/com/registry_file.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using testsupport::KeyExists;
using testsupport::ReadString;
using testsupport::TempRegistry;
using testsupport::WriteString;

namespace {

DWORD ReadDword(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0xDEADBEEF;
    DWORD value = 0, cb = sizeof value, type = 0;
    LSTATUS st = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    RegCloseKey(key);
    return st == ERROR_SUCCESS && type == REG_DWORD ? value : 0xDEADBEEF;
}

LSTATUS WriteDword(HKEY root, const char* path, const char* name, DWORD value) {
    HKEY key = nullptr;
    LSTATUS st = RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (st != ERROR_SUCCESS) return st;
    st = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
    return st;
}

LSTATUS CreateEmptyKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    LSTATUS st = RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (key) RegCloseKey(key);
    return st;
}

// Points the store at another file; the TempRegistry restores the variable at its end.
void UseRegistryFile(const std::string& path) { ::setenv("QUILLET_REGISTRY", path.c_str(), 1); }

}  // namespace

TEST(RegistryFile, WritesReadableRegText) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "CLSID\\{abc}", "", "Quillet \"Air\" Brush"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "CLSID\\{abc}\\InprocServer32", "", "C:\\dir\\m.dll"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "CLSID\\{abc}\\InprocServer32", "ThreadingModel", "Both"), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags", 10), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CURRENT_USER, "Software\\Quillet", "Knobs Drag Vertical", 1), ERROR_SUCCESS);
    EXPECT_EQ(reg.ReadText(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\CLSID]\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\CLSID\\{abc}]\n"
              "@=\"Quillet \\\"Air\\\" Brush\"\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\CLSID\\{abc}\\InprocServer32]\n"
              "@=\"C:\\\\dir\\\\m.dll\"\n"
              "\"ThreadingModel\"=\"Both\"\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\DXTDbgFlags]\n"
              "\"Flags\"=dword:0000000a\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Quillet]\n"
              "\"Knobs Drag Vertical\"=dword:00000001\n"
              "\n");
}

TEST(RegistryFile, RoundTripThroughTheFile) {
    TempRegistry reg;
    const std::string tricky = "back\\slash \"quoted\" \\\" end\\";
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "A\\B", "Tricky", tricky), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "A\\B", "with \"quotes\" and \\", "named"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "A\\B", "", ""), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, "Multi", "Lines", "one\ntwo\r\n\tthree"), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CLASSES_ROOT, "A", "Max", 0xFFFFFFFFu), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CLASSES_ROOT, "A", "Zero", 0), ERROR_SUCCESS);
    ASSERT_EQ(CreateEmptyKey(HKEY_CURRENT_USER, "Empty\\Leaf"), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "A", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const BYTE blob[] = {0, 1, 0xFE, 0xFF};
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, 3, blob, sizeof blob), ERROR_SUCCESS);
    RegCloseKey(key);
    const auto before = testsupport::ListKeys(HKEY_CLASSES_ROOT);

    reg.ForceReload();
    EXPECT_EQ(testsupport::ListKeys(HKEY_CLASSES_ROOT), before);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "A\\B", "Tricky"), tricky);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "a\\b", "WITH \"QUOTES\" AND \\"), "named");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "A\\B", ""), "");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, "Multi", "Lines"), "one\ntwo\r\n\tthree");
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, "A", "Max"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, "A", "Zero"), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Empty\\Leaf"));

    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "A", 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE back[8];
    DWORD cb = sizeof back, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, back, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, 3u);
    ASSERT_EQ(cb, 4u);
    EXPECT_EQ(0, std::memcmp(back, blob, 4));
    RegCloseKey(key);

    // A string that a line cannot carry is stored in the format's hex(1) form.
    EXPECT_NE(reg.ReadText().find("\"Lines\"=hex(1):6f,00,6e,00,65,00,0a,00"), std::string::npos);
}

TEST(RegistryFile, ReadsChangesMadeOutsideTheProcess) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Old", "", "1"), ERROR_SUCCESS);
    // Another program replaces the file (a comment, CRLF ends, continued hex, no final newline).
    reg.WriteText(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "; written by hand\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Hand]\r\n"
        "@=\"made by hand\"\r\n"
        "\"Bytes\"=hex:01,02,\\\r\n"
        "  03,04\r\n"
        "\"Wide\"=hex(1):48,00,69,00,00,00\r\n"
        "\"Num\"=dword:00000100");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Old"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, "software\\hand", ""), "made by hand");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, "software\\hand", "Wide"), "Hi");
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, "software\\hand", "Num"), 0x100u);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Hand", 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE bytes[8];
    DWORD cb = sizeof bytes;
    EXPECT_EQ(RegQueryValueExA(key, "Bytes", nullptr, nullptr, bytes, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 4u);
    EXPECT_EQ(bytes[3], 4);
    RegCloseKey(key);
}

TEST(RegistryFile, MalformedFileIsRefusedAndKeptIntact) {
    TempRegistry reg;
    const std::string bad =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CLASSES_ROOT\\Good]\n"
        "@=\"fine\"\n"
        "\"Flags\"=dword:12345\n";
    reg.WriteText(bad);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Good"));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Good", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegistryLastError(), reg.Path() + ":5: dword value needs 8 hex digits");
    EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BADDB);
    EXPECT_EQ(WriteDword(HKEY_CLASSES_ROOT, "Good", "Flags", 1), ERROR_BADDB);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Good"), ERROR_BADDB);
    EXPECT_EQ(reg.ReadText(), bad);

    // Once the file is repaired the store uses it again.
    reg.WriteText("Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\Good]\n\"Flags\"=dword:00012345\n");
    EXPECT_EQ(ReadDword(HKEY_CLASSES_ROOT, "Good", "Flags"), 0x12345u);
    EXPECT_EQ(RegistryLastError(), "");
}

TEST(RegistryFile, TruncatedFilesNameTheirLastLine) {
    TempRegistry reg;
    const std::string full =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{abc}]\n"
        "@=\"Quillet Air Brush\"\n"
        "\"Flags\"=dword:0000000a\n";
    struct Cut {
        std::string text;
        std::string error;
    };
    const Cut cuts[] = {
        {full.substr(0, full.find("CLSID") + 3), ":3: section header without closing ']'"},
        {full.substr(0, full.find("Air")), ":4: unterminated string"},
        {full.substr(0, full.find("dword") + 9), ":5: dword value needs 8 hex digits"},
        {full.substr(0, full.find("Flags") + 2), ":5: unterminated string"},
        {full.substr(0, 10), ":1: missing header \"Windows Registry Editor Version 5.00\""},
        // Saved as UTF-16 by an editor; a line of 1 MiB is quoted only in part.
        {std::string("\xFF\xFEW\0i\0", 6), ":1: the file is UTF-16 text; registry files are read as UTF-8 (ASCII included)"},
        {full.substr(0, 38) + "[HKEY_" + std::string(1 << 20, 'x') + "]\n",
         ":3: unknown root key \"HKEY_" + std::string(55, 'x') + "...\""},
    };
    for (const Cut& cut : cuts) {
        reg.WriteText(cut.text);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key), ERROR_BADDB) << cut.error;
        EXPECT_EQ(RegistryLastError(), reg.Path() + cut.error);
    }
    // An empty file (as mktemp leaves it) is an empty registry.
    reg.WriteText("");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    EXPECT_EQ(CreateEmptyKey(HKEY_CLASSES_ROOT, "CLSID"), ERROR_SUCCESS);
}

TEST(RegistryFile, ParserRejectsWhatItCannotRepresent) {
    const char* bad[] = {
        "Windows Registry Editor Version 5.00\n\"Orphan\"=\"x\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_NOWHERE\\A]\n",
        "Windows Registry Editor Version 5.00\n[-HKEY_CLASSES_ROOT\\A]\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A\\\\B]\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n\"x\"=-\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n\"x\"=\"a\\q\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n\"x\"=hex:1,02\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n\"x\"=hex:01,\\\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n\"x\"=\"a\" trailing\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\nx=\"a\"\n",
    };
    for (const char* text : bad) {
        quillet::reg::Tree tree;
        quillet::reg::RegFileError error;
        EXPECT_FALSE(quillet::reg::ParseRegFile(text, tree, error)) << text;
        EXPECT_GT(error.line, 1) << text;
        EXPECT_FALSE(error.what.empty());
    }
}

TEST(RegistryFile, MissingFolderIsCreatedOnSave) {
    TempRegistry reg;
    std::string nested = reg.Folder() + "/a/b/c/registry.reg";
    UseRegistryFile(nested);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X"));  // missing file: empty registry
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "X", "", "y"), ERROR_SUCCESS);
    EXPECT_NE(testsupport::ReadText(nested).find("[HKEY_CLASSES_ROOT\\X]\n@=\"y\"\n"), std::string::npos);
    UseRegistryFile(reg.Path());
}

TEST(RegistryFile, UnwritableLocationFailsCleanly) {
    TempRegistry reg;
    // A path through a regular file can never be created.
    std::ofstream(reg.Folder() + "/plainfile") << "x";
    UseRegistryFile(reg.Folder() + "/plainfile/registry.reg");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X"));
    EXPECT_EQ(CreateEmptyKey(HKEY_CLASSES_ROOT, "X"), ERROR_CANTWRITE);
    EXPECT_NE(RegistryLastError().find("plainfile"), std::string::npos);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X"));  // the failed change is not kept

    // A folder nobody may create files in (sysfs refuses even root).
    struct stat st {};
    if (::stat("/sys/kernel", &st) == 0) {
        UseRegistryFile("/sys/kernel/quillet-registry-test.reg");
        EXPECT_EQ(CreateEmptyKey(HKEY_CLASSES_ROOT, "X"), ERROR_ACCESS_DENIED);
        EXPECT_EQ(WriteDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags", 0), ERROR_ACCESS_DENIED);
    }
    // Without root rights a read-only folder shows the same.
    if (::geteuid() != 0) {
        std::string locked = reg.Folder() + "/locked";
        ::mkdir(locked.c_str(), 0555);
        UseRegistryFile(locked + "/registry.reg");
        EXPECT_EQ(CreateEmptyKey(HKEY_CLASSES_ROOT, "X"), ERROR_ACCESS_DENIED);
        ::chmod(locked.c_str(), 0755);
    }
    UseRegistryFile(reg.Path());
}

TEST(RegistryFile, UnreadableFileIsNeverOverwritten) {
    TempRegistry reg;
    // A folder standing where the file should be cannot be read as a registry.
    std::filesystem::create_directory(reg.Path());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X"));
    EXPECT_EQ(RegistryLastError(), reg.Path() + ": cannot read: it is a directory");
    EXPECT_EQ(CreateEmptyKey(HKEY_CLASSES_ROOT, "X"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::is_directory(reg.Path()));
}

TEST(RegistryFile, SavingKeepsALinkedFileAndItsPermissions) {
    TempRegistry reg;
    std::filesystem::create_directory(reg.Folder() + "/real");
    const std::string real = reg.Folder() + "/real/registry.reg";
    std::ofstream(real) << "Windows Registry Editor Version 5.00\n";
    ::chmod(real.c_str(), 0600);
    std::filesystem::create_symlink(real, reg.Path());
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Linked", "", "yes"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(reg.Path()));
    EXPECT_NE(testsupport::ReadText(real).find("[HKEY_CLASSES_ROOT\\Linked]"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Linked", ""), "yes");
}
