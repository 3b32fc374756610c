// The frei0r plugins' parameter calls as a careless host makes them: any index
// (negative, past the end), any double, colour or position bytes (NaN and infinities
// included), any string (preset names, numbers, nonsense), values read back, and frames
// rendered in between. Every call must return; values of the right type come back.
#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <frei0r.h>
}

namespace {

struct Plugin {
    void (*getPluginInfo)(f0r_plugin_info_t*);
    void (*getParamInfo)(f0r_param_info_t*, int);
    f0r_instance_t (*construct)(unsigned, unsigned);
    void (*destruct)(f0r_instance_t);
    void (*setParam)(f0r_instance_t, f0r_param_t, int);
    void (*getParam)(f0r_instance_t, f0r_param_t, int);
    void (*update)(f0r_instance_t, double, const uint32_t*, uint32_t*);
    int count = 0;
};

const char* const kEffects[] = {"airbrush", "colorize", "dreamglow", "duochrome", "linedrawing", "metallic", "pastelsketch"};

template <class F>
void Bind(void* library, const char* name, F* target) {
    *target = reinterpret_cast<F>(::dlsym(library, name));
    if (!*target) std::abort();
}

const Plugin& PluginFor(int index) {
    static Plugin plugins[7];
    Plugin& p = plugins[index];
    if (p.count) return p;
    const std::string path = std::string(QUILLET_FREI0R_PLUGIN_DIR) + "/quillet_" + kEffects[index] + ".so";
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) std::abort();
    int (*init)() = nullptr;
    Bind(library, "f0r_init", &init);
    Bind(library, "f0r_get_plugin_info", &p.getPluginInfo);
    Bind(library, "f0r_get_param_info", &p.getParamInfo);
    Bind(library, "f0r_construct", &p.construct);
    Bind(library, "f0r_destruct", &p.destruct);
    Bind(library, "f0r_set_param_value", &p.setParam);
    Bind(library, "f0r_get_param_value", &p.getParam);
    Bind(library, "f0r_update", &p.update);
    if (init() != 1) std::abort();
    f0r_plugin_info_t info{};
    p.getPluginInfo(&info);
    p.count = info.num_params;
    return p;
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_size == 0; }
    void Take(void* out, size_t n) {
        std::memset(out, 0, n);
        n = std::min(n, m_size);
        std::memcpy(out, m_data, n);
        m_data += n;
        m_size -= n;
    }
    uint8_t Byte() {
        uint8_t b = 0;
        Take(&b, 1);
        return b;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const Plugin& p = PluginFor(in.Byte() % 7);
    const unsigned width = 1 + in.Byte() % 24, height = 1 + in.Byte() % 24;
    f0r_instance_t instance = p.construct(width, height);
    if (!instance) return 0;
    std::vector<uint32_t> frameIn(size_t(width) * height), frameOut(frameIn.size());
    for (int calls = 0; calls < 64 && !in.Empty(); ++calls) {
        const uint8_t op = in.Byte();
        int32_t index = 0;
        in.Take(&index, sizeof index);
        if (op & 0x80) index = static_cast<int32_t>(static_cast<uint32_t>(index) % (p.count + 2)) - 1;
        f0r_param_info_t info{};
        if (index >= 0 && index < p.count) p.getParamInfo(&info, index);
        union {
            double number;
            f0r_param_color_t colour;
            f0r_param_position_t position;
            f0r_param_string text;
            uint8_t bytes[32];
        } value;
        char text[64];
        switch (op % 4) {
            case 0:
                p.getParamInfo(&info, index);
                break;
            case 1:
                in.Take(value.bytes, sizeof value.bytes);
                if (info.type == F0R_PARAM_STRING) {
                    in.Take(text, sizeof text - 1);
                    text[in.Byte() % sizeof text] = '\0';
                    text[sizeof text - 1] = '\0';
                    value.text = text;
                }
                p.setParam(instance, &value, index);
                break;
            case 2:
                std::memset(value.bytes, 0, sizeof value.bytes);
                p.getParam(instance, &value, index);
                if (info.type == F0R_PARAM_STRING && value.text && std::strlen(value.text) > 4096) std::abort();
                break;
            case 3:
                in.Take(frameIn.data(), std::min<size_t>(frameIn.size() * 4, 64));
                in.Take(&value.number, sizeof value.number);
                p.update(instance, value.number, frameIn.data(), frameOut.data());
                break;
        }
    }
    p.destruct(instance);
    return 0;
}
