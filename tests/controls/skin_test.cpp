// The shared UI settings: the knob setting read from either root as its rules say,
// written where it will be found again, changed through the options dialog from the
// module's own template, and the help pages opened through the shell.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "controls/control_window.h"
#include "controls/skin.h"
#include "platform/ui/display.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/input.h"
#include "platform/ui/shell.h"
#include "resources/moduleresources.h"
#include "tests/support/environment.h"
#include "tests/support/recording_window.h"

namespace {

std::string RegistryWith(const char* machine, const char* user) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    if (machine) text += std::string("[HKEY_LOCAL_MACHINE\\Software\\Quillet\\Common]\n\"Knobs Drag Vertical\"=\"") + machine + "\"\n\n";
    if (user) text += std::string("[HKEY_CURRENT_USER\\Software\\Quillet\\Common]\n\"Knobs Drag Vertical\"=\"") + user + "\"\n\n";
    return text;
}

TEST(Skin, KnobSettingIsReadFromMachineThenUserAndOnlyALowerCaseYTurnsItOn) {
    const struct {
        const char *machine, *user;
        bool expected;
    } cases[] = {{"yes", nullptr, true},  {"Yes", nullptr, false}, {"y", nullptr, true}, {nullptr, "yes", true},
                 {"no", "yes", false},    {nullptr, nullptr, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.machine ? c.machine : "-") << " / " << (c.user ? c.user : "-"));
        testsupport::TempRegistry registry;
        registry.WriteText(RegistryWith(c.machine, c.user));
        registry.ForceReload();
        CSkin skin;
        skin.Init(nullptr, "Quillet Brushwerk");
        EXPECT_EQ(skin.GetKnobsDragVertical(), c.expected);
    }
    testsupport::TempRegistry registry;
    CSkin skin;
    skin.Init(nullptr, "Quillet Brushwerk");
    skin.SetKnobsDragVertical(true);
    registry.ForceReload();
    CSkin next;
    next.Init(nullptr, "Quillet Brushwerk");
    EXPECT_TRUE(next.GetKnobsDragVertical());
    EXPECT_EQ(next.GetBitmap(999), nullptr);  // no such bitmap: nothing cached, nothing returned
}

// The module's own skin: each bitmap loads, cut into the frames its control draws, with
// alpha premultiplied as AlphaBlend expects; the swatch's colour shows through its frame;
// the cursor's hot spot lies on its tip.
TEST(Skin, SkinBitmapsAndCursorLoadFromTheModulesResources) {
    auto* module = reinterpret_cast<HINSTANCE>(0x5EED);
    RegisterModuleResources(module, &BrushwerkModuleResources());
    CSkin skin;
    skin.Init(module, "Quillet Brushwerk");
    const struct {
        int id, frames;
    } bitmaps[] = {{201, 45}, {206, 3}, {207, 3}, {231, 3}, {236, 3}, {237, 3}};
    for (const auto& b : bitmaps) {
        SCOPED_TRACE(b.id);
        auto* bitmap = static_cast<BitmapObject*>(skin.GetBitmap(b.id));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->height % b.frames, 0);
        bool premultiplied = true;
        for (uint32_t p : bitmap->pixels)
            for (int shift = 0; shift < 24; shift += 8) premultiplied &= ((p >> shift) & 255) <= p >> 24;
        EXPECT_TRUE(premultiplied);
    }
    auto* swatch = static_cast<BitmapObject*>(skin.GetBitmap(236));
    const int frameHeight = swatch->height / 3;
    for (int frame = 0; frame < 3; ++frame) {  // clear inside the colour rectangle, opaque beside it
        EXPECT_EQ(swatch->Row(frame * frameHeight + frameHeight / 2)[swatch->width / 2] >> 24, 0u);
        EXPECT_EQ(swatch->Row(frame * frameHeight + frameHeight / 2)[4] >> 24, 255u);
    }
    const CursorObject* cursor = skin.GetDropperCursor();
    ASSERT_NE(cursor, nullptr);
    EXPECT_GT(cursor->pixels[size_t(cursor->hotY) * cursor->width + cursor->hotX] >> 24, 128u);
    UnregisterModuleResources(module);
}

// A person opens the options, visits the maker's site through the logo, asks for help,
// ticks the box and presses OK.
TEST(Skin, OptionsDialogChangesTheSettingAndHelpOpensItsPage) {
    testsupport::TempRegistry registry;
    auto* module = reinterpret_cast<HINSTANCE>(0x5EED);
    RegisterModuleResources(module, &BrushwerkModuleResources());
    RegisterControlClasses(module);
    CSkin skin;
    skin.Init(module, "Quillet Brushwerk");
    ASSERT_FALSE(skin.GetKnobsDragVertical());
    std::string caption;
    const DWORD tester = GetCurrentThreadId();
    std::thread person([&] {
        HWND dialog = testsupport::WaitForDialogWith(230);
        if (!dialog) PostThreadMessageA(tester, WM_QUIT, 0, 0);  // ends the dialog's loop instead of hanging
        ASSERT_NE(dialog, nullptr);
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof text);
        caption = text;
        testsupport::Click(GetDlgItem(dialog, 232));
        testsupport::Click(GetDlgItem(dialog, 9));
        testsupport::Click(GetDlgItem(dialog, 230));
        testsupport::Click(GetDlgItem(dialog, IDOK));
    });
    skin.ShowOptions(nullptr);
    person.join();
    EXPECT_FALSE(g_bOptionsOpen);
    EXPECT_EQ(caption, "Quillet Brushwerk");
    EXPECT_TRUE(skin.GetKnobsDragVertical());
    EXPECT_NE(registry.ReadText().find("\"Knobs Drag Vertical\"=\"yes\""), std::string::npos);
    const auto requests = HeadlessShellRequests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests.back(), "help/options.html");
    EXPECT_EQ(requests[requests.size() - 2].rfind("https://", 0), 0u);
    skin.ShowHelp(nullptr, 3);
    EXPECT_EQ(HeadlessShellRequests().back(), "help/colorize.html");
#if defined(QUILLET_MODULE_PATH) && defined(QUILLET_HELP_BUILT)
    // Every page a context opens was written beside the module.
    const std::string moduleDir = std::filesystem::path(QUILLET_MODULE_PATH).parent_path().string() + "/";
    for (int context = 1; context <= 8; ++context) {
        skin.ShowHelp(nullptr, context);
        EXPECT_TRUE(std::filesystem::is_regular_file(moduleDir + HeadlessShellRequests().back())) << context;
    }
#endif
    UnregisterModuleResources(module);
}

}  // namespace
