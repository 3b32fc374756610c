#include "host/frei0r/session_pool.h"

#include "host/frei0r/plugin_context.h"

namespace brushwerk::frei0r {

std::unique_ptr<common::EffectSession> SessionPool::Take() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            std::unique_ptr<common::EffectSession> session = std::move(m_idle.back());
            m_idle.pop_back();
            return session;
        }
    }
    std::unique_ptr<common::EffectSession> made;
    if (FAILED(m_plugin.NewSession(&made))) return nullptr;
    return made;
}

void SessionPool::Give(std::unique_ptr<common::EffectSession> session) {
    if (!session) return;
    std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(session));
}

}  // namespace brushwerk::frei0r
