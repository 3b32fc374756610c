// Internal to the platform: whole-file reads and atomic replacement of a storage file.
#pragma once

#include <string>
#include <vector>

#include "platform/com/objidl.h"

// Reads the file; checks that it could be opened for writing too when forWriting.
HRESULT ReadStorageFile(const std::string& path, bool forWriting, std::vector<uint8_t>* bytes);
// Writes a temporary file beside path, flushes it and renames it over path, so a reader
// sees either the old file or the new one, never a mixture.
HRESULT WriteStorageFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
// Creates path if it does not exist; STG_E_FILEALREADYEXISTS if it does.
HRESULT CreateNewStorageFile(const std::string& path);
