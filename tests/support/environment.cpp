#include "tests/support/environment.h"

#include <stdlib.h>

#include "platform/com/registry.h"

namespace testsupport {

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : m_name(std::move(name)) {
    if (const char* old = ::getenv(m_name.c_str())) m_saved = old;
    if (value)
        ::setenv(m_name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (m_saved)
        ::setenv(m_name.c_str(), m_saved->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

TempRegistry::TempRegistry() : m_path(m_folder.File("registry.reg")), m_env("QUILLET_REGISTRY", m_path) {}

void TempRegistry::ForceReload() const {
    ::setenv("QUILLET_REGISTRY", m_folder.File("elsewhere.reg").c_str(), 1);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, "x", 0, KEY_READ, &key);
    if (key) RegCloseKey(key);
    ::setenv("QUILLET_REGISTRY", m_path.c_str(), 1);
}

DebugOutputCapture::DebugOutputCapture()
    : m_path(m_folder.File("debug.txt")), m_env("QUILLET_DEBUG_OUTPUT", m_path) {}

}  // namespace testsupport
