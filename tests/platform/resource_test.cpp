// Module resource tables: strings and typed binaries per instance handle, read while
// other modules register theirs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/ui/resource.h"

namespace {

const ModuleStringResource kStrings[] = {{101, "Reset To None"}, {102, "Cheap Postcard"}, {7, ""}};
const char kScript[] = "HKCR { x = s 'y' }";
const unsigned char kTypeLib[] = {1, 2, 3};
const ModuleBinaryResource kBinaries[] = {{"REGISTRY", 109, kScript, sizeof kScript - 1},
                                          {"TYPELIB", 1, kTypeLib, sizeof kTypeLib}};
const ModuleResources kTable = {kStrings, 3, kBinaries, 2};

HINSTANCE Handle(uintptr_t v) { return reinterpret_cast<HINSTANCE>(v); }

TEST(Resources, StringsAndBinariesByModuleAndId) {
    const HINSTANCE module = Handle(0x7A000000);
    RegisterModuleResources(module, &kTable);
    // Strings cut to the buffer; zero and an empty buffer for what is not there.
    const struct {
        HINSTANCE module;
        UINT id;
        int capacity, expected;
        const char* text;
    } cases[] = {{module, 101, 32, 13, "Reset To None"}, {module, 102, 6, 5, "Cheap"}, {module, 102, 1, 0, ""},
                 {module, 999, 16, 0, ""},               {Handle(0x7B000000), 101, 16, 0, ""}, {module, 7, 16, 0, ""}};
    for (const auto& c : cases) {
        char buffer[32] = "stale";
        EXPECT_EQ(LoadStringA(c.module, c.id, buffer, c.capacity), c.expected) << c.id;
        EXPECT_STREQ(buffer, c.text) << c.id;
    }
    // Binaries by type in any case and id.
    size_t size = 0;
    EXPECT_EQ(LoadModuleResource(module, "registry", 109, &size), kScript);
    EXPECT_EQ(size, sizeof kScript - 1);
    EXPECT_EQ(LoadModuleResource(module, "TypeLib", 1, nullptr), kTypeLib);
    size = 42;
    EXPECT_EQ(LoadModuleResource(module, "REGISTRY", 1, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(LoadModuleResource(module, "REGISTRYX", 109, &size), nullptr);
    UnregisterModuleResources(module);  // (withdrawal at detach: the module's tests)
}

TEST(Resources, ReadersNeverSeeATornTableWhileOthersRegister) {
    const HINSTANCE module = Handle(0x7A000000);
    RegisterModuleResources(module, &kTable);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::thread churn([&] {
        for (uintptr_t i = 0; !stop; ++i) {
            RegisterModuleResources(Handle(0x7C000000 + (i % 64)), &kTable);
            UnregisterModuleResources(Handle(0x7C000000 + ((i + 32) % 64)));
        }
    });
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            char buffer[32];
            for (int i = 0; i < 20000; ++i)
                wrong += LoadStringA(module, 102, buffer, sizeof buffer) != 14 || std::strcmp(buffer, "Cheap Postcard");
        });
    for (auto& t : readers) t.join();
    stop = true;
    churn.join();
    for (uintptr_t i = 0; i < 64; ++i) UnregisterModuleResources(Handle(0x7C000000 + i));
    UnregisterModuleResources(module);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
