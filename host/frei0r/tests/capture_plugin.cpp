// A frei0r filter for the tests: passes its input through unchanged and appends every
// frame it is handed to the file named by its "path" parameter. Placed before and after
// one of our plugins in a host's chain, it records exactly the frames our plugin saw
// and gave back, whatever conversions the host did around them.
extern "C" {
#include <frei0r.h>
}

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#define CAPTURE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Capture {
    unsigned width;
    unsigned height;
    std::mutex mutex;
    std::string path;
};

}  // namespace

CAPTURE_EXPORT int f0r_init() { return 1; }
CAPTURE_EXPORT void f0r_deinit() {}

CAPTURE_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {
    info->name = "Quillet test capture";
    info->author = "Quillet";
    info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
    info->color_model = F0R_COLOR_MODEL_BGRA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = 1;
    info->minor_version = 0;
    info->num_params = 1;
    info->explanation = "Appends every frame to a file and passes it through";
}

CAPTURE_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int /*index*/) {
    info->name = "path";
    info->type = F0R_PARAM_STRING;
    info->explanation = "File the frames are appended to";
}

CAPTURE_EXPORT f0r_instance_t f0r_construct(unsigned width, unsigned height) {
    return new Capture{width, height, {}, {}};
}

CAPTURE_EXPORT void f0r_destruct(f0r_instance_t instance) { delete static_cast<Capture*>(instance); }

CAPTURE_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
    auto* capture = static_cast<Capture*>(instance);
    const char* text = *static_cast<f0r_param_string*>(param);
    if (index != 0 || !text) return;
    std::lock_guard lock(capture->mutex);
    capture->path = text;
}

CAPTURE_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int /*index*/) {
    auto* capture = static_cast<Capture*>(instance);
    *static_cast<f0r_param_string*>(param) = const_cast<char*>(capture->path.c_str());
}

CAPTURE_EXPORT void f0r_update(f0r_instance_t instance, double /*time*/, const uint32_t* in, uint32_t* out) {
    auto* capture = static_cast<Capture*>(instance);
    const size_t bytes = size_t(capture->width) * capture->height * 4;
    if (in != out) std::memcpy(out, in, bytes);
    std::lock_guard lock(capture->mutex);
    if (capture->path.empty()) return;
    if (std::FILE* file = std::fopen(capture->path.c_str(), "ab")) {
        std::fwrite(in, 1, bytes, file);
        std::fclose(file);
    }
}
