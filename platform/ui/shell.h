// The shell's "open" verb: a file or address opens with the desktop's opener (xdg-open);
// on the headless display the request is only recorded, for tests to read.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/winuser.h"

constexpr int SE_ERR_NOASSOC = 31;

extern "C" {
// Answers a value above 32 when the opener was started (or the request recorded).
HINSTANCE ShellExecuteA(HWND hwnd, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show);
}

// What ShellExecuteA was asked to open on the headless display, oldest first.
std::vector<std::string> HeadlessShellRequests();
