// The registry file: the text it is saved as, round trips through it, files written by
// others, the ways a file can be bad, and places where it cannot be saved.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using namespace testsupport;

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00\n";

// Points the store at another file; the TempRegistry restores the variable at its end.
void UseRegistryFile(const std::string& path) { ::setenv("QUILLET_REGISTRY", path.c_str(), 1); }

LSTATUS CreateKey(HKEY root, const char* path) { return WriteString(root, path, "v", ""); }

}  // namespace

TEST(RegistryFile, SavedAsReadableRegTextAndReadBackWhole) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "CLSID\\{abc}", "", "Quillet \"Air\" Brush"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "CLSID\\{abc}\\InprocServer32", "", "C:\\dir\\m.dll"), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CLASSES_ROOT, "DXTDbgFlags", "Flags", 10), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CURRENT_USER, "Software\\Quillet", "Knobs Drag Vertical", 1), ERROR_SUCCESS);
    EXPECT_EQ(reg.ReadText(), std::string(kHeader) +
                                  "\n[HKEY_CLASSES_ROOT\\CLSID]\n"
                                  "\n[HKEY_CLASSES_ROOT\\CLSID\\{abc}]\n@=\"Quillet \\\"Air\\\" Brush\"\n"
                                  "\n[HKEY_CLASSES_ROOT\\CLSID\\{abc}\\InprocServer32]\n@=\"C:\\\\dir\\\\m.dll\"\n"
                                  "\n[HKEY_CLASSES_ROOT\\DXTDbgFlags]\n\"Flags\"=dword:0000000a\n"
                                  "\n[HKEY_CURRENT_USER\\Software]\n"
                                  "\n[HKEY_CURRENT_USER\\Software\\Quillet]\n\"Knobs Drag Vertical\"=dword:00000001\n\n");

    // Values the text must escape or cannot carry on a line and extreme numbers, as a
    // new process reads them.
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "A\\B", "Tricky", "back\\slash \"quoted\" \\\" end\\"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "A\\B", "with \"quotes\" and \\", "named"), ERROR_SUCCESS);
    ASSERT_EQ(WriteString(HKEY_LOCAL_MACHINE, "Multi", "Lines", "one\ntwo\r\n\tthree"), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CLASSES_ROOT, "A", "Max", 0xFFFFFFFFu), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(HKEY_CLASSES_ROOT, "A", "Zero", 0), ERROR_SUCCESS);
    std::vector<std::vector<std::string>> before;
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) before.push_back(ListKeys(root));
    EXPECT_NE(reg.ReadText().find("\"Lines\"=hex(1):6f,00,6e,00,65,00,0a,00"), std::string::npos);
    reg.ForceReload();
    std::vector<std::vector<std::string>> after;
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) after.push_back(ListKeys(root));
    EXPECT_EQ(after, before);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "a\\b", "WITH \"QUOTES\" AND \\"), "named");
}

TEST(RegistryFile, ReadsWhatOthersWriteIntoIt) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Old", "", "1"), ERROR_SUCCESS);
    // Another program replaces the file: a byte order mark, a comment, CRLF ends,
    // continued hex, UTF-16 text beyond one byte (a surrogate pair too), no final newline.
    reg.WriteText("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; by hand\r\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Hand]\r\n@=\"made by hand\"\r\n\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n"
                  "\"Wide\"=hex(1):48,00,69,00,AC,20,3D,D8,00,DE,00,00\r\n\"Num\"=dword:00000100");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Old"));
    EXPECT_EQ(ListKeys(HKEY_LOCAL_MACHINE),
              (std::vector<std::string>{"Software", "Software\\Hand", "Software\\Hand @ = made by hand",
                                        "Software\\Hand Bytes = hex(3):01,02,03,04", "Software\\Hand Num = dword:256",
                                        "Software\\Hand Wide = Hi\xE2\x82\xAC\xF0\x9F\x98\x80"}));
}

// A malformed file is an error naming the file and line, refused for reading and
// writing alike and never overwritten; once repaired it is used again.
TEST(RegistryFile, MalformedFilesAreNamedByLineAndKept) {
    TempRegistry reg;
    const std::string full = std::string(kHeader) + "\n[HKEY_CLASSES_ROOT\\CLSID\\{abc}]\n@=\"Quillet Air Brush\"\n"
                                                    "\"Flags\"=dword:0000000a\n";
    const std::string section = std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n";
    const struct {
        std::string text;
        std::string error;  // empty: only the line is checked (past the header)
    } cases[] = {
        {full.substr(0, full.find("CLSID") + 3), ":3: section header without closing ']'"},
        {full.substr(0, full.find("Air")), ":4: unterminated string"},
        {full.substr(0, full.find("dword") + 9), ":5: dword value needs 8 hex digits"},
        {full.substr(0, full.find("Flags") + 2), ":5: unterminated string"},
        {full.substr(0, 10), ":1: missing header \"Windows Registry Editor Version 5.00\""},
        {std::string("\xFF\xFEW\0i\0", 6), ":1: the file is UTF-16 text; registry files are read as UTF-8 (ASCII included)"},
        {full.substr(0, 38) + "[HKEY_" + std::string(1 << 20, 'x') + "]\n",  // quoted only in part
         ":3: unknown root key \"HKEY_" + std::string(55, 'x') + "...\""},
        {std::string(kHeader) + "\"Orphan\"=\"x\"\n", ""},
        {std::string(kHeader) + "[-HKEY_CLASSES_ROOT\\A]\n", ""},
        {std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A\\\\B]\n", ""},
        {section + "\"x\"=-\n", ""},
        {section + "\"x\"=\"a\\q\"\n", ""},
        {section + "\"x\"=hex:1,02\n", ""},
        {section + "\"x\"=hex:0g,02\n", ""},
        {section + "\"x\"=hex:01,\\\n", ""},
        {section + "\"x\"=\"a\" trailing\n", ""},
        {section + "x=\"a\"\n", ""},
    };
    for (const auto& c : cases) {
        reg.WriteText(c.text);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key), ERROR_BADDB) << c.text.substr(0, 80);
        const std::string error = RegistryLastError();
        if (c.error.empty()) {
            EXPECT_EQ(error.rfind(reg.Path() + ":", 0), 0u) << error;
            EXPECT_NE(error.substr(reg.Path().size(), 3), ":1:") << error;
        } else {
            EXPECT_EQ(error, reg.Path() + c.error);
        }
        EXPECT_EQ(CreateKey(HKEY_CLASSES_ROOT, "New"), ERROR_BADDB);
        EXPECT_EQ(reg.ReadText(), c.text);
    }
    reg.WriteText("");  // an empty file (as mktemp leaves it) is an empty registry
    EXPECT_EQ(CreateKey(HKEY_CLASSES_ROOT, "CLSID"), ERROR_SUCCESS);
    EXPECT_EQ(RegistryLastError(), "");
}

// A missing folder is made; a file that cannot be read is never replaced; a linked file
// is saved through the link with its permissions; where nothing can be saved the change
// fails and is not kept.
TEST(RegistryFile, SavesWhereItCanAndFailsCleanlyWhereItCannot) {
    TempRegistry reg;
    const std::string nested = reg.Folder() + "/a/b/registry.reg";
    UseRegistryFile(nested);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X"));  // a missing file: an empty registry
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "X", "", "y"), ERROR_SUCCESS);
    EXPECT_NE(ReadText(nested).find("[HKEY_CLASSES_ROOT\\X]\n@=\"y\"\n"), std::string::npos);

    std::filesystem::create_directory(reg.Folder() + "/real");
    const std::string real = reg.Folder() + "/real/registry.reg";
    std::ofstream(real) << kHeader;
    ::chmod(real.c_str(), 0600);
    std::filesystem::create_symlink(real, reg.Path());
    UseRegistryFile(reg.Path());
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, "Linked", "", "yes"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(reg.Path()));
    EXPECT_NE(ReadText(real).find("[HKEY_CLASSES_ROOT\\Linked]"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::filesystem::create_directory(reg.Folder() + "/dir.reg");
    std::ofstream(reg.Folder() + "/plainfile") << "x";
    const struct {
        std::string path;
        LSTATUS expected;
        std::string error;
    } cases[] = {
        {reg.Folder() + "/dir.reg", ERROR_ACCESS_DENIED, reg.Folder() + "/dir.reg: cannot read: it is a directory"},
        {reg.Folder() + "/plainfile/registry.reg", ERROR_CANTWRITE, "plainfile"},
        {"/sys/kernel/quillet-registry-test.reg", ERROR_ACCESS_DENIED, ""},  // refuses even root
    };
    for (const auto& c : cases) {
        UseRegistryFile(c.path);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X")) << c.path;
        EXPECT_EQ(CreateKey(HKEY_CLASSES_ROOT, "X"), c.expected) << c.path;
        EXPECT_NE(RegistryLastError().find(c.error), std::string::npos) << RegistryLastError();
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "X")) << "the failed change is not kept";
    }
    EXPECT_TRUE(std::filesystem::is_directory(reg.Folder() + "/dir.reg"));
    UseRegistryFile(reg.Path());
}
