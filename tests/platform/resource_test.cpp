// Module resource tables: strings and typed binaries per instance handle.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/resource.h"

namespace {

const ModuleStringResource kStrings[] = {{101, "Reset To None"}, {102, "Cheap Postcard"}, {7, ""}};
const char kScript[] = "HKCR { x = s 'y' }";
const unsigned char kTypeLib[] = {1, 2, 3};
const ModuleBinaryResource kBinaries[] = {{"REGISTRY", 109, kScript, sizeof kScript - 1},
                                          {"TYPELIB", 1, kTypeLib, sizeof kTypeLib}};
const ModuleResources kTable = {kStrings, 3, kBinaries, 2};

HINSTANCE Handle(uintptr_t v) { return reinterpret_cast<HINSTANCE>(v); }

class Resources : public ::testing::Test {
protected:
    void SetUp() override { RegisterModuleResources(m_module, &kTable); }
    void TearDown() override { UnregisterModuleResources(m_module); }
    HINSTANCE m_module = Handle(0x7A000000);
};

TEST_F(Resources, LoadsStringsCutToTheBufferAndAnswersZeroWithAnEmptyBufferForMissingOnes) {
    const struct {
        HINSTANCE module;
        UINT id;
        int capacity;
        int expected;
        const char* text;
    } cases[] = {{m_module, 101, 32, 13, "Reset To None"}, {m_module, 102, 6, 5, "Cheap"},
                 {m_module, 102, 1, 0, ""},                {m_module, 999, 16, 0, ""},
                 {Handle(0x7B000000), 101, 16, 0, ""},     {m_module, 7, 16, 0, ""}};
    for (const auto& c : cases) {
        char buffer[32] = "stale";
        EXPECT_EQ(LoadStringA(c.module, c.id, buffer, c.capacity), c.expected) << c.id;
        EXPECT_STREQ(buffer, c.text) << c.id;
    }
    char buffer[4] = "abc";
    EXPECT_EQ(LoadStringA(m_module, 102, buffer, 0), 0);
    EXPECT_EQ(LoadStringA(m_module, 102, nullptr, 10), 0);
}

TEST_F(Resources, FindsBinariesByTypeInAnyCaseAndId) {
    size_t size = 0;
    const void* data = LoadModuleResource(m_module, "registry", 109, &size);
    ASSERT_EQ(data, kScript);
    EXPECT_EQ(size, sizeof kScript - 1);
    EXPECT_EQ(LoadModuleResource(m_module, "TypeLib", 1, nullptr), kTypeLib);
    size = 42;
    EXPECT_EQ(LoadModuleResource(m_module, "REGISTRY", 1, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(LoadModuleResource(m_module, "REGISTRYX", 109, &size), nullptr);
    EXPECT_EQ(LoadModuleResource(m_module, nullptr, 109, &size), nullptr);
}

TEST_F(Resources, WithdrawnOrReplacedTablesAnswerAccordingly) {
    char buffer[32];
    const ModuleStringResource other[] = {{101, "Replaced"}};
    const ModuleResources replacement = {other, 1, nullptr, 0};
    RegisterModuleResources(m_module, &replacement);
    EXPECT_EQ(LoadStringA(m_module, 101, buffer, sizeof buffer), 8);
    EXPECT_EQ(LoadModuleResource(m_module, "REGISTRY", 109, nullptr), nullptr);
    UnregisterModuleResources(m_module);
    EXPECT_EQ(LoadStringA(m_module, 101, buffer, sizeof buffer), 0);
    RegisterModuleResources(m_module, nullptr);  // an empty table
    EXPECT_EQ(LoadStringA(m_module, 101, buffer, sizeof buffer), 0);
}

TEST_F(Resources, ReadersNeverSeeATornTableWhileOthersRegister) {
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::thread churn([&] {
        for (uintptr_t i = 0; !stop; ++i) {
            RegisterModuleResources(Handle(0x7C000000 + (i % 64)), &kTable);
            UnregisterModuleResources(Handle(0x7C000000 + ((i + 32) % 64)));
        }
    });
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            char buffer[32];
            for (int i = 0; i < 20000; ++i)
                if (LoadStringA(m_module, 102, buffer, sizeof buffer) != 14 || std::strcmp(buffer, "Cheap Postcard"))
                    ++wrong;
        });
    }
    for (auto& t : readers) t.join();
    stop = true;
    churn.join();
    for (uintptr_t i = 0; i < 64; ++i) UnregisterModuleResources(Handle(0x7C000000 + i));
    EXPECT_EQ(wrong, 0);
}

}  // namespace
