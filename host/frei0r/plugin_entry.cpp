// The frei0r entry points of one plugin. This file is compiled once per effect with
// QUILLET_FREI0R_EFFECT naming it ("colorize") and QUILLET_FREI0R_BUILT_MODULE the
// module it was built with; only the f0r_* functions are exported.
//
// f0r_init may be called more than once (ffmpeg calls it, and f0r_deinit, once per
// filter instance in a graph): the plugin counts them and lets the module go only when
// the last f0r_deinit comes and no instance is left.
#include "host/frei0r/frei0r_api.h"

#include <cstdio>
#include <memory>
#include <mutex>

#include "host/frei0r/bridge_instance.h"
#include "host/frei0r/plugin_context.h"

#ifndef QUILLET_FREI0R_EFFECT
#error "QUILLET_FREI0R_EFFECT names the effect this plugin carries"
#endif
#ifndef QUILLET_FREI0R_BUILT_MODULE
#define QUILLET_FREI0R_BUILT_MODULE ""
#endif

#define QUILLET_FREI0R_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using brushwerk::frei0r::BridgeInstance;
using brushwerk::frei0r::PluginContext;

struct PluginState {
    std::mutex mutex;
    std::unique_ptr<PluginContext> context;
    int initCount = 0;
    int liveInstances = 0;
    bool reportedFailure = false;
};

PluginState& State() {
    static PluginState state;
    return state;
}

// The catalog entry of this plugin's effect; the build names only effects it knows.
const brushwerk::common::EffectInfo& ThisEffect() {
    static const brushwerk::common::EffectInfo* effect = brushwerk::common::FindEffect(QUILLET_FREI0R_EFFECT);
    return *effect;
}

PluginContext& Context(PluginState& state) {
    if (!state.context) state.context = std::make_unique<PluginContext>(ThisEffect());
    return *state.context;
}

// Caller holds the state's mutex.
void CloseWhenUnused(PluginState& state) {
    if (state.initCount == 0 && state.liveInstances == 0 && state.context) state.context->Close();
}

BridgeInstance* InstanceOf(f0r_instance_t instance) { return static_cast<BridgeInstance*>(instance); }

}  // namespace

QUILLET_FREI0R_EXPORT int f0r_init() {
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    PluginContext& context = Context(state);
    if (!context.IsOpen() && !context.Open(QUILLET_FREI0R_BUILT_MODULE)) {
        // Hosts show standard error; say once why the effect is unavailable.
        if (!state.reportedFailure)
            std::fprintf(stderr, "quillet_%s: %s\n", QUILLET_FREI0R_EFFECT, context.Error().c_str());
        state.reportedFailure = true;
        return 0;
    }
    ++state.initCount;
    return 1;
}

QUILLET_FREI0R_EXPORT void f0r_deinit() {
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.initCount > 0) --state.initCount;
    CloseWhenUnused(state);
}

QUILLET_FREI0R_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {
    if (!info) return;
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    const PluginContext& context = Context(state);
    // Before f0r_init (or when it failed) the catalog's names stand in for the module's.
    info->name = context.Name().c_str();
    info->author = "Quillet";
    info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
    // Frames stay in the host stand-in's own byte order (B, G, R, A): no copy, no swizzle.
    info->color_model = F0R_COLOR_MODEL_BGRA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = 1;
    info->minor_version = 0;
    info->num_params = context.Parameters().Count();
    info->explanation = context.Explanation().empty() ? ThisEffect().summary : context.Explanation().c_str();
}

QUILLET_FREI0R_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int index) {
    if (!info) return;
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    const brushwerk::frei0r::ParameterInfo* parameter = Context(state).Parameters().At(index);
    if (!parameter) {
        // Hosts that ask past the end get a harmless description instead of garbage.
        info->name = "";
        info->type = F0R_PARAM_DOUBLE;
        info->explanation = "no such parameter";
        return;
    }
    info->name = parameter->name.c_str();
    info->type = parameter->type;
    info->explanation = parameter->explanation.c_str();
}

QUILLET_FREI0R_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    PluginContext& context = Context(state);
    // A host that skipped f0r_init still gets a working instance.
    if (!context.IsOpen() && !context.Open(QUILLET_FREI0R_BUILT_MODULE)) return nullptr;
    std::unique_ptr<BridgeInstance> instance = BridgeInstance::Create(context, width, height);
    if (!instance) return nullptr;
    ++state.liveInstances;
    return instance.release();
}

QUILLET_FREI0R_EXPORT void f0r_destruct(f0r_instance_t instance) {
    if (!instance) return;
    delete InstanceOf(instance);
    PluginState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.liveInstances > 0) --state.liveInstances;
    CloseWhenUnused(state);
}

QUILLET_FREI0R_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
    if (instance) InstanceOf(instance)->SetParameter(index, param);
}

QUILLET_FREI0R_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
    if (instance) InstanceOf(instance)->GetParameter(index, param);
}

QUILLET_FREI0R_EXPORT void f0r_update(f0r_instance_t instance, double /*time*/, const uint32_t* inframe,
                                      uint32_t* outframe) {
    if (instance) InstanceOf(instance)->Update(inframe, outframe);
}
