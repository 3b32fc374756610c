// Where a frei0r plugin of ours finds the effect module. A frei0r host loads the plugin
// from its own folder with nothing else to go on, so the plugin looks, in this order:
//   1. $QUILLET_MODULE, when set (and only there: an explicit choice is never second-guessed);
//   2. beside the plugin's own file, then one folder up: the installed layout is
//      <prefix>/lib/frei0r-1/quillet_<effect>.so with <prefix>/lib/libquillet_brushwerk.so,
//      and the build tree mirrors it (<build>/frei0r-1/ beside <build>/libquillet_brushwerk.so);
//   3. the module the plugin was built with (its path baked in at build time).
#pragma once

#include <string>
#include <vector>

namespace brushwerk::frei0r {

inline constexpr const char* kModuleFileName = "libquillet_brushwerk.so";

struct ModuleFileSearch {
    std::string found;               // absolute path, empty when nothing was found
    std::vector<std::string> tried;  // every place looked at, in order
};

// builtPath: the module the plugin was built against (may be empty).
ModuleFileSearch FindModuleFile(const std::string& builtPath);

// The folder holding the shared object that contains this code (the plugin), or empty.
std::string PluginDirectory();

}  // namespace brushwerk::frei0r
