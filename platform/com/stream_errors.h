// Internal to the platform: the storage result code for a failed open of a file.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/com/objidl.h"

// ENOENT names a missing file when its folder exists, else a missing path.
inline HRESULT HResultFromOpenErrno(int error, const char* path) {
    switch (error) {
    case ENOENT: {
        std::string folder(path);
        size_t slash = folder.find_last_of('/');
        folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
        struct stat st {};
        return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? STG_E_FILENOTFOUND : STG_E_PATHNOTFOUND;
    }
    case ENOTDIR: return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return STG_E_ACCESSDENIED;
    case ENAMETOOLONG: return STG_E_INVALIDNAME;
    case ENOSPC:
    case EDQUOT: return STG_E_MEDIUMFULL;
    case ENOMEM: return E_OUTOFMEMORY;
    default: return E_FAIL;
    }
}
