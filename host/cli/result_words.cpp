#include "host/cli/result_words.h"

#include "host/cli/cli_error.h"
#include "platform/com/wintypes.h"

namespace brushwerk::cli {

std::string ResultInWords(long code) {
    const HRESULT hr = static_cast<HRESULT>(code);
    const char* words = nullptr;
    switch (hr) {
    case E_NOTIMPL: words = "not implemented"; break;
    case E_NOINTERFACE: words = "the object lacks a required interface"; break;
    case E_POINTER: words = "invalid pointer"; break;
    case E_FAIL: words = "unspecified failure"; break;
    case E_UNEXPECTED: words = "unexpected failure"; break;
    case E_INVALIDARG: words = "invalid argument"; break;
    case E_OUTOFMEMORY: words = "out of memory"; break;
    case E_ACCESSDENIED: words = "access denied"; break;
    case CLASS_E_CLASSNOTAVAILABLE: words = "the module does not offer this class"; break;
    case REGDB_E_CLASSNOTREG: words = "class not registered"; break;
    case REGDB_E_READREGDB: words = "the registry could not be read"; break;
    case REGDB_E_WRITEREGDB: words = "the registry could not be written"; break;
    case CO_E_DLLNOTFOUND: words = "module file not found"; break;
    case CO_E_ERRORINDLL: words = "the module could not be loaded or lacks its entry points"; break;
    case STG_E_FILENOTFOUND: words = "file not found"; break;
    case STG_E_PATHNOTFOUND: words = "folder not found"; break;
    case STG_E_ACCESSDENIED: words = "access denied"; break;
    case STG_E_WRITEFAULT: words = "write failed"; break;
    case STG_E_READFAULT: words = "read failed"; break;
    case STG_E_MEDIUMFULL: words = "disk full"; break;
    case MakeHResult(0x887A0001u): words = "transform not initialised"; break;
    default:
        if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x80070000u) words = "system error";
        break;
    }
    return words ? std::string(words) + " (" + HResultText(code) + ")" : "result " + HResultText(code);
}

}  // namespace brushwerk::cli
