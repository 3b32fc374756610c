#include "host/frei0r/renderer_pool.h"

#include "host/frei0r/plugin_context.h"

namespace brushwerk::frei0r {

std::unique_ptr<EffectRenderer> RendererPool::Take() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            std::unique_ptr<EffectRenderer> renderer = std::move(m_idle.back());
            m_idle.pop_back();
            return renderer;
        }
    }
    std::unique_ptr<EffectRenderer> made;
    if (FAILED(EffectRenderer::Create(m_plugin.Module(), m_plugin.Effect(), &made))) return nullptr;
    return made;
}

void RendererPool::Give(std::unique_ptr<EffectRenderer> renderer) {
    if (!renderer) return;
    std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(renderer));
}

size_t RendererPool::IdleCount() const {
    std::lock_guard lock(m_mutex);
    return m_idle.size();
}

}  // namespace brushwerk::frei0r
