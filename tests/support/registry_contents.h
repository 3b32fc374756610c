// Registry contents read and written through the Reg* functions, for checks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/com/registry.h"

namespace testsupport {

bool KeyExists(HKEY root, const std::string& path);
// A REG_SZ or REG_DWORD value ("" names the key's default value); nothing when absent
// or of another type.
std::optional<std::string> ReadString(HKEY root, const std::string& path, const char* name = "");
std::optional<DWORD> ReadDword(HKEY root, const std::string& path, const char* name);
LSTATUS WriteString(HKEY root, const std::string& path, const char* name, const std::string& text);
LSTATUS WriteDword(HKEY root, const std::string& path, const char* name, DWORD value);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);

// Every key below root\path and its values, one line each, in enumeration order (names
// sorted without regard to case, so that whole trees compare):
//   "Sub\Key"                  for a key
//   "Sub\Key @ = text"         for a string value ("@" is the default value)
//   "Sub\Key Flags = dword:10" for a DWORD, "Sub\Key Blob = hex(3):00,fe" for others
std::vector<std::string> ListKeys(HKEY root, const std::string& path = "");

}  // namespace testsupport
