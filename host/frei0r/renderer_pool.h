// Idle effect renderers of one frei0r instance. A host may call f0r_update on one
// instance from several threads at once (MLT runs one instance over the slices of a
// frame in parallel), so each call takes a renderer of its own: an idle one when there
// is one, else a new effect object. The pool grows to the host's concurrency, no further.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "host/frei0r/effect_renderer.h"

namespace brushwerk::frei0r {

class PluginContext;

class RendererPool {
public:
    explicit RendererPool(const PluginContext& plugin) : m_plugin(plugin) {}

    // An idle renderer, or a new one; null when the module cannot make one.
    std::unique_ptr<EffectRenderer> Take();
    void Give(std::unique_ptr<EffectRenderer> renderer);
    size_t IdleCount() const;

private:
    const PluginContext& m_plugin;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<EffectRenderer>> m_idle;
};

}  // namespace brushwerk::frei0r
