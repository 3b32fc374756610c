// Idle effect sessions of one frei0r instance. A host may call f0r_update on one
// instance from several threads at once (MLT runs one instance over the slices of a
// frame in parallel), so each call takes a session of its own: an idle one when there
// is one, else a new effect object. The pool grows to the host's concurrency, no further.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "host/common/effect_session.h"

namespace brushwerk::frei0r {

class PluginContext;

class SessionPool {
public:
    explicit SessionPool(const PluginContext& plugin) : m_plugin(plugin) {}

    // An idle session, or a new one; null when the module cannot make one.
    std::unique_ptr<common::EffectSession> Take();
    void Give(std::unique_ptr<common::EffectSession> session);

private:
    const PluginContext& m_plugin;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<common::EffectSession>> m_idle;
};

}  // namespace brushwerk::frei0r
